#pragma once

#include <QFileDialog>
#include <QHeaderView>
#include <QString>
#include <QStringList>
#include <QTreeView>

#include <functional>

class QWidget;

// Qt's own file dialog cuts its detail columns to fixed widths, which English
// headers and dates outgrow: let them take what they need, the name the rest.
inline void fitFileDialogColumns(QFileDialog &dialog)
{
    dialog.resize(780, 460);
    auto *tree = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!tree)
        return; // a native dialog lays itself out
    QHeaderView *header = tree->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int i = 1; i < header->count(); ++i)
        header->setSectionResizeMode(i, QHeaderView::ResizeToContents);
}

// How the upgrade tab asks for a file. Tests replace it to choose a file or to
// cancel without a dialog; the arguments are those of getOpenFileName.
using OpenFileChooser =
    std::function<QString(QWidget *parent, const QString &caption, const QString &dir,
                          const QString &filter, QFileDialog::Options options)>;

inline OpenFileChooser &openFileChooser()
{
    static OpenFileChooser chooser = [](QWidget *parent, const QString &caption, const QString &dir,
                                        const QString &filter, QFileDialog::Options options) {
        QFileDialog dialog(parent, caption, dir, filter);
        dialog.setOptions(options);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        fitFileDialogColumns(dialog);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    return chooser;
}

// How the window asks for one or several files to read, as getOpenFileNames.
// An empty list means the user cancelled.
using OpenFilesChooser = std::function<QStringList(QWidget *parent, const QString &caption,
                                                   const QString &dir, const QString &filter)>;

inline OpenFilesChooser &openFilesChooser()
{
    static OpenFilesChooser chooser = [](QWidget *parent, const QString &caption,
                                         const QString &dir, const QString &filter) {
        QFileDialog dialog(parent, caption, dir, filter);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        fitFileDialogColumns(dialog);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    };
    return chooser;
}

// How the receive table asks where to save; the arguments are those of
// getSaveFileName, `selectedFilter` set to the type the user chose. An empty
// name means the user cancelled.
using SaveFileChooser =
    std::function<QString(QWidget *parent, const QString &caption, const QString &dir,
                          const QString &filter, QString *selectedFilter)>;

inline SaveFileChooser &saveFileChooser()
{
    static SaveFileChooser chooser = [](QWidget *parent, const QString &caption, const QString &dir,
                                        const QString &filter, QString *selectedFilter) {
        QFileDialog dialog(parent, caption, dir, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (selectedFilter && !selectedFilter->isEmpty())
            dialog.selectNameFilter(*selectedFilter);
        fitFileDialogColumns(dialog);
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        if (selectedFilter)
            *selectedFilter = dialog.selectedNameFilter();
        return dialog.selectedFiles().value(0);
    };
    return chooser;
}
