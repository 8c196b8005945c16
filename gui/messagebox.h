#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// Every message box of the tool goes through here, so that tests can answer
// boxes instead of blocking on them.
class MessageBox
{
public:
    enum Kind
    {
        Information,
        Warning,
        Question,
        QuestionOrCancel,
        About
    };

    struct Shown
    {
        Kind kind;
        QWidget *parent;
        QString title;
        QString text;
    };
    // Answers a box in place of the user; gets what would be shown.
    using Answerer = std::function<QMessageBox::StandardButton(const Shown &)>;

    static void information(QWidget *parent, const QString &title, const QString &text);
    static void warning(QWidget *parent, const QString &title, const QString &text);
    // Yes and No, no default button; returns the button chosen (Escape gives No).
    static QMessageBox::StandardButton question(QWidget *parent, const QString &title,
                                                const QString &text);
    // Yes, No and Cancel; returns the button chosen (Escape gives Cancel).
    static QMessageBox::StandardButton questionOrCancel(QWidget *parent, const QString &title,
                                                        const QString &text);
    static void about(QWidget *parent, const QString &title, const QString &text);

    // Installs (or, with an empty function, removes) the answerer.
    static void setAnswerer(Answerer answerer);

private:
    static QMessageBox::StandardButton show(Kind kind, QWidget *parent, const QString &title,
                                            const QString &text);
};
