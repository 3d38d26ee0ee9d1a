#pragma once

#include <QPixmap>
#include <QWidget>

// A picture on a window that answers clicks: the card columns, the two piles and the logo.
// It shows its picture at (0, 0) and nothing else, so whatever lies beneath shows through.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(const QString &name, QWidget *parent = nullptr);

    const QPixmap &Picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

signals:
    void OnClick(QObject *Sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPixmap m_picture;
    int m_tag = 0;
    bool m_pressed = false;
};
