#include "mainwindow.h"
#include "settingdialog.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QtTest>

// The main window's "设置" entry and the dialogs it opens.
class TestSettingMenu : public QObject
{
    Q_OBJECT
private slots:
    void eachUseOpensAnIndependentDialog();
};

namespace {
QList<SettingDialog *> openDialogs()
{
    QList<SettingDialog *> dialogs;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<SettingDialog *>(w))
            if (d->isVisible())
                dialogs << d;
    return dialogs;
}
} // namespace

void TestSettingMenu::eachUseOpensAnIndependentDialog()
{
    TempWorkDir dir;
    SimFixture sim;
    MessageBoxRecorder boxes;
    MainWindow window(*DeviceLink::instance());
    window.show();
    auto *action = window.findChild<QAction *>(QStringLiteral("actionsetting"));
    QVERIFY(action);

    action->trigger();
    action->trigger();
    const QList<SettingDialog *> dialogs = openDialogs();
    QCOMPARE(dialogs.size(), 2);
    QVERIFY(dialogs.at(0) != dialogs.at(1));
    QPointer<SettingDialog> first = dialogs.at(0);
    QPointer<SettingDialog> second = dialogs.at(1);
    for (SettingDialog *d : dialogs) {
        QVERIFY(!d->isModal());
        QVERIFY(!d->parentWidget());
    }
    // The window stays usable, and closing one dialog leaves the other.
    QVERIFY(window.isEnabled());
    QVERIFY(first->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(!second.isNull() && second->isVisible());
    QVERIFY(second->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(second.isNull());
}

QTEST_MAIN(TestSettingMenu)
#include "tst_settingmenu.moc"
