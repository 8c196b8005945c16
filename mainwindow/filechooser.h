#pragma once

#include <QFileDialog>
#include <QString>

#include <functional>

class QWidget;

// How the upgrade tab asks for a file. Tests replace it to choose a file or to
// cancel without a dialog; the arguments are those of getOpenFileName.
using OpenFileChooser =
    std::function<QString(QWidget *parent, const QString &caption, const QString &dir,
                          const QString &filter, QFileDialog::Options options)>;

inline OpenFileChooser &openFileChooser()
{
    static OpenFileChooser chooser = [](QWidget *parent, const QString &caption, const QString &dir,
                                        const QString &filter, QFileDialog::Options options) {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter, nullptr, options);
    };
    return chooser;
}

// How the receive table asks where to save; the arguments are those of
// getSaveFileName. An empty name means the user cancelled.
using SaveFileChooser = std::function<QString(QWidget *parent, const QString &caption,
                                              const QString &dir, const QString &filter)>;

inline SaveFileChooser &saveFileChooser()
{
    static SaveFileChooser chooser = [](QWidget *parent, const QString &caption, const QString &dir,
                                        const QString &filter) {
        return QFileDialog::getSaveFileName(parent, caption, dir, filter);
    };
    return chooser;
}
