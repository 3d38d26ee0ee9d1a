#include "app/keptgame.h"

#include "game/dealnumber.h"

#include <QFile>
#include <QSaveFile>

#include <map>

namespace {

// The file's lines: a key, "=", and its value.
std::map<std::string, std::string> fields(const QByteArray &text)
{
    std::map<std::string, std::string> read;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            read[line.left(equals).toStdString()] = line.mid(equals + 1).trimmed().toStdString();
    }
    return read;
}

KeptGame parse(const QByteArray &text)
{
    const std::map<std::string, std::string> read = fields(text);
    const auto field = [&](const char *key) {
        const auto found = read.find(key);
        if (found == read.end())
            throw std::runtime_error(std::string("no ") + key);
        return found->second;
    };
    const auto flag = [&](const char *key) {
        const std::string value = field(key);
        if (value != "0" && value != "1")
            throw std::runtime_error(std::string("not 0 or 1: ") + key);
        return value == "1";
    };
    const std::optional<std::uint32_t> deal = parseDealNumber(field("Deal"));
    if (!deal)
        throw std::runtime_error("no deal number");
    return {*deal, field("Line"), field("Ahead"), flag("Assisted"), flag("AceQuestion")};
}

} // namespace

KeptGame KeptGame::of(const GameTable &table)
{
    return {table.dealNumber(), table.line(), table.lineAhead(), table.assisted(),
            table.aceQuestionOpen()};
}

GameTable KeptGame::replay() const
{
    if (!ahead.starts_with(line))
        throw std::runtime_error("the line ahead does not go on from the line");
    GameTable table;
    table.startDeal(deal);
    for (const char action : ahead) {
        if (!table.gameactive() || !table.play(action))
            throw std::runtime_error("the line does not play");
    }
    if (!table.gameactive())
        throw std::runtime_error("the game had ended");
    // Back to where the player was, with what they had undone still there to redo.
    while (table.line() != line && table.undo()) {
    }
    if (table.line() != line)
        throw std::runtime_error("the line is not on the way ahead");
    if (table.aceQuestionOpen() && !aceQuestion)
        table.keepAce(); // answered NO, which the line does not hold
    table.setAssisted(assisted);
    return table;
}

void GameKeeper::keep(const GameTable &table)
{
    if (!table.gameactive())
        return forget();
    const KeptGame kept = KeptGame::of(table);
    QSaveFile file(m_file);
    if (!file.open(QIODevice::WriteOnly))
        return; // the table plays on; the next change tries again
    file.write("Deal=" + QByteArray::number(kept.deal) +
               "\nLine=" + QByteArray::fromStdString(kept.line) +
               "\nAhead=" + QByteArray::fromStdString(kept.ahead) +
               "\nAssisted=" + QByteArray::number(kept.assisted) +
               "\nAceQuestion=" + QByteArray::number(kept.aceQuestion) + "\n");
    file.commit();
}

void GameKeeper::forget()
{
    QFile::remove(m_file);
}

std::optional<GameTable> GameKeeper::resume()
{
    QFile file(m_file);
    if (!file.exists())
        return std::nullopt;
    try {
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot be read");
        return parse(file.readAll()).replay();
    } catch (const std::runtime_error &) {
        file.close();
        const QString aside = m_file + ".damaged";
        QFile::remove(aside);
        QFile::rename(m_file, aside);
        throw std::runtime_error(
            QString("The game kept from last time could not be resumed; the file was set "
                    "aside as %1.")
                .arg(aside)
                .toStdString());
    }
}
