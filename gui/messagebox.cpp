#include "messagebox.h"

namespace {
MessageBox::Answerer &answerer()
{
    static MessageBox::Answerer a;
    return a;
}
} // namespace

void MessageBox::setAnswerer(Answerer a)
{
    answerer() = std::move(a);
}

QMessageBox::StandardButton MessageBox::show(Kind kind, QWidget *parent, const QString &title,
                                             const QString &text)
{
    if (answerer())
        return answerer()(Shown{kind, parent, title, text});
    switch (kind) {
    case Information:
        return QMessageBox::information(parent, title, text,
                                        QMessageBox::StandardButtons(QMessageBox::Ok),
                                        QMessageBox::NoButton);
    case Warning:
        return QMessageBox::warning(parent, title, text,
                                    QMessageBox::StandardButtons(QMessageBox::Ok),
                                    QMessageBox::NoButton);
    case Question:
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::NoButton);
    case QuestionOrCancel:
        return QMessageBox::question(parent, title, text,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                     QMessageBox::NoButton);
    case About:
        QMessageBox::about(parent, title, text);
        return QMessageBox::Ok;
    }
    return QMessageBox::NoButton;
}

void MessageBox::information(QWidget *parent, const QString &title, const QString &text)
{
    show(Information, parent, title, text);
}

void MessageBox::warning(QWidget *parent, const QString &title, const QString &text)
{
    show(Warning, parent, title, text);
}

QMessageBox::StandardButton MessageBox::question(QWidget *parent, const QString &title,
                                                 const QString &text)
{
    const QMessageBox::StandardButton b = show(Question, parent, title, text);
    return b == QMessageBox::Yes ? QMessageBox::Yes : QMessageBox::No;
}

QMessageBox::StandardButton MessageBox::questionOrCancel(QWidget *parent, const QString &title,
                                                         const QString &text)
{
    const QMessageBox::StandardButton b = show(QuestionOrCancel, parent, title, text);
    return b == QMessageBox::Yes || b == QMessageBox::No ? b : QMessageBox::Cancel;
}

void MessageBox::about(QWidget *parent, const QString &title, const QString &text)
{
    show(About, parent, title, text);
}
