#pragma once

#include <QString>

#include <stdexcept>

// A failed write of a profile file; the message is the complete text to show.
class ProfileError : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};

// One settings file in the INI format. Every call opens the file,
// reads or writes one key and releases it again. Section and key names match without
// regard to case; a present key is replaced in place, a new key goes to the end of its
// section and a new section to the end of the file. Lines the call does not write are kept
// byte for byte; written lines end in CR LF. Lines are in Windows-1252, or in UTF-8 where
// that cannot hold them.
class ProfileFile {
public:
    // Longest value a read returns, in characters.
    static constexpr int maxValueLength = 2047;

    explicit ProfileFile(const QString &path);

    // The file's absolute path.
    QString path() const;

    // The key's value with surrounding blanks removed, or def when the key is missing;
    // a key present with an empty value gives the empty text.
    QString readString(const QString &section, const QString &key, const QString &def) const;
    // The key's value as a decimal or hexadecimal ("0x", "0X", "$") signed 32-bit integer,
    // or def when the key is missing or holds anything else.
    int readInteger(const QString &section, const QString &key, int def) const;

    // Both throw ProfileError("Unable to write to " + path()) when the file cannot be
    // written; the file then keeps its former content.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);

private:
    QString m_path;
};
