#include "boxchooser.h"
#include "cantracewindow.h"
#include "mainwindow.h"
#include "plotwindow.h"
#include "settingdialog.h"
#include "startup.h"
#include "testsupport.h"
#include "ui_mainwindow.h"
#include "ui_settingdialog.h"
#include "windowparts.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {
// The window's texts at start-up with a given language in config.ini, the
// built translations beside it.
struct LanguageRun
{
    explicit LanguageRun(const QByteArray &language)
    {
        for (const char *name : {"app_zh.qm", "app_en.qm"})
            QFile::copy(QDir(qEnvironmentVariable("VOTKBOX_RUN_DIR")).filePath(name),
                        dir.file(QLatin1String(name)));
        dir.writeFile("config.ini", "[General]\nlanguage=" + language + "\n");
        startup.prepare(*QCoreApplication::instance());
    }
    SimFixture sim;
    TempWorkDir dir;
    Startup startup{StartOptions()};
};

template <typename T> T *child(QObject *root, const char *name)
{
    return root->findChild<T *>(QLatin1String(name));
}

// True when `object` lies inside the object named `ancestor` (or is it).
bool insideOf(const QObject *object, const QString &ancestor)
{
    for (const QObject *o = object; o; o = o->parent())
        if (o->objectName() == ancestor)
            return true;
    return false;
}

// How many pixels `text` needs beyond the room `w` gives it in its own font
// (0 or less: it fits).
int overflow(QWidget *w, const QString &text)
{
    int needed = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        needed = qMax(needed, w->fontMetrics().horizontalAdvance(line));
    if (auto *label = qobject_cast<QLabel *>(w))
        return needed -
               (label->contentsRect().width() - 2 * label->margin() - qMax(label->indent(), 0));
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        // The style's padding around the text of this button, without its
        // minimum width for short texts.
        QStyleOptionButton option;
        option.initFrom(button);
        option.features =
            button->isDefault() ? QStyleOptionButton::DefaultButton : QStyleOptionButton::None;
        const int padding =
            button->style()
                ->sizeFromContents(QStyle::CT_PushButton, &option, QSize(0, 0), button)
                .width();
        return needed - (button->width() - padding);
    }
    if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        const QString kept = button->text();
        button->setText(text);
        const int over = button->sizeHint().width() - button->width();
        button->setText(kept);
        return over;
    }
    return 0;
}

// Every label and button under `root` whose text does not fit, one line each.
QStringList clippedTexts(QWidget *root)
{
    QStringList clipped;
    QList<QWidget *> widgets;
    for (QLabel *l : root->findChildren<QLabel *>())
        widgets << l;
    for (QAbstractButton *b : root->findChildren<QAbstractButton *>())
        widgets << b;
    for (QWidget *w : widgets) {
        const QString text = qobject_cast<QLabel *>(w) ? static_cast<QLabel *>(w)->text()
                                                       : static_cast<QAbstractButton *>(w)->text();
        const int over = overflow(w, text);
        if (!text.isEmpty() && over > 0)
            clipped << QStringLiteral("%1 \"%2\" by %3 px").arg(w->objectName(), text).arg(over);
    }
    for (QTabWidget *tabs : root->findChildren<QTabWidget *>())
        if (tabs->tabBar()->sizeHint().width() > tabs->width())
            clipped << tabs->objectName() + QLatin1String(" tab titles");
    return clipped;
}

// Every pair of visible controls directly under `root` that overlap, one line each.
QStringList overlapping(QWidget *root)
{
    QStringList found;
    QList<QWidget *> shown;
    for (QWidget *w : root->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (w->isVisible())
            shown << w;
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j)
            if (shown.at(i)->geometry().intersects(shown.at(j)->geometry()))
                found << QStringLiteral("%1 over %2")
                             .arg(shown.at(i)->objectName(), shown.at(j)->objectName());
    return found;
}

// Lays out every tab and page once, so hidden ones have their geometry too.
void layOutEveryPage(QWidget *root)
{
    for (QTabWidget *tabs : root->findChildren<QTabWidget *>())
        for (int i = tabs->count() - 1; i >= 0; --i) {
            tabs->setCurrentIndex(i);
            QCoreApplication::processEvents();
        }
    for (QStackedWidget *stack : root->findChildren<QStackedWidget *>())
        for (int i = stack->count() - 1; i >= 0; --i) {
            stack->setCurrentIndex(i);
            QCoreApplication::processEvents();
        }
}

// Every text a user can see under the open top-level windows: labels,
// buttons, fields' hints, lists, headers, menus, window titles and tooltips.
QStringList visibleTexts()
{
    QStringList texts;
    const auto headers = [&texts](const QAbstractItemModel *model) {
        if (!model)
            return;
        for (int c = 0; c < model->columnCount(); ++c)
            texts << model->headerData(c, Qt::Horizontal).toString()
                  << model->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString();
    };
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (!top->isVisible() && !qobject_cast<QMenu *>(top))
            continue;
        QList<QWidget *> widgets = top->findChildren<QWidget *>();
        widgets << top;
        for (QWidget *w : widgets) {
            texts << w->toolTip() << w->windowTitle().remove(QLatin1String("[*]"));
            if (auto *l = qobject_cast<QLabel *>(w))
                texts << l->text();
            else if (auto *b = qobject_cast<QAbstractButton *>(w))
                texts << b->text();
            else if (auto *e = qobject_cast<QLineEdit *>(w))
                texts << e->placeholderText();
            else if (auto *g = qobject_cast<QGroupBox *>(w))
                texts << g->title();
            else if (auto *box = qobject_cast<QComboBox *>(w))
                for (int i = 0; i < box->count(); ++i)
                    texts << box->itemText(i);
            else if (auto *spin = qobject_cast<QAbstractSpinBox *>(w))
                texts << spin->specialValueText();
            else if (auto *tabs = qobject_cast<QTabWidget *>(w))
                for (int i = 0; i < tabs->count(); ++i)
                    texts << tabs->tabText(i) << tabs->tabToolTip(i);
            else if (auto *view = qobject_cast<QAbstractItemView *>(w)) {
                headers(view->model());
                if (auto *list = qobject_cast<QListWidget *>(w))
                    for (int i = 0; i < list->count(); ++i)
                        texts << list->item(i)->text();
            } else if (auto *menu = qobject_cast<QMenu *>(w))
                texts << menu->title();
            for (QAction *a : w->actions())
                texts << a->text() << a->toolTip();
        }
    }
    texts.removeAll(QString());
    texts.removeDuplicates();
    return texts;
}

QStringList names(const QList<QAction *> &actions)
{
    QStringList n;
    for (const QAction *a : actions)
        n << (a->menu() ? a->menu()->objectName() : a->objectName());
    return n;
}
} // namespace

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    // First: nothing in this process has registered the frame type before it.
    void startedWindowReceivesFrames();
    void windowIsFixedWithoutMinMaxButtons();
    void visibleTextsFollowTheLanguage_data();
    void visibleTextsFollowTheLanguage();
    void everyTextFitsItsWidget_data();
    void everyTextFitsItsWidget();
    void noTextOfTheOtherLanguage_data();
    void noTextOfTheOtherLanguage();
    void everyObjectNameResolvesOnce_data();
    void everyObjectNameResolvesOnce();
    void mainFormOrdersTabsAndMenus();
    void settingsFormStartsTickedWithoutLanguage();
    // Last: it leaves automatic connection off for the process.
    void startConnectsABoxAlreadyPresent_data();
    void startConnectsABoxAlreadyPresent();
};

void TestWindow::startedWindowReceivesFrames()
{
    LanguageRun run("cn");
    MainWindow *w = run.startup.window();
    emit canRxThreadOf(*w).send_can_rx(reportedFrames(hexBytes("23 01 11")));
    QTRY_COMPARE(w->findChild<QAbstractItemView *>("table_can_rx")->model()->rowCount(), 1);
}

void TestWindow::windowIsFixedWithoutMinMaxButtons()
{
    LanguageRun run("cn");
    MainWindow *w = run.startup.window();
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QCOMPARE(w->size(), QSize(900, 600));
    QCOMPARE(w->minimumSize(), QSize(900, 600));
    QCOMPARE(w->maximumSize(), QSize(900, 600));
    QVERIFY(!(w->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!w->parent());
    QVERIFY(!w->windowIcon().isNull());
}

void TestWindow::visibleTextsFollowTheLanguage_data()
{
    QTest::addColumn<QByteArray>("language");
    // Tab titles, connect button, File menu, about action, progress label,
    // then the settings dialog's title and first list item, then Qt's own
    // Cancel button.
    QTest::addColumn<QStringList>("texts");

    const QStringList chinese{"信息",         "CAN",    "固件升级", "连接", "文件(&F)",
                              "关于VOTK(&V)", "进度：", "设置",     "语言"};
    QTest::newRow("en") << QByteArray("en")
                        << QStringList{"Information", "CAN",         "Firmware upgrade", "Connect",
                                       "&File",       "About &VOTK", "Progress:",        "Settings",
                                       "Language",    "Cancel"};
    QTest::newRow("cn") << QByteArray("cn") << chinese + QStringList{"取消"};
    // An unknown language leaves the texts built into the forms, and Qt's.
    QTest::newRow("EN") << QByteArray("EN") << chinese + QStringList{"Cancel"};
}

void TestWindow::visibleTextsFollowTheLanguage()
{
    QFETCH(QByteArray, language);
    QFETCH(QStringList, texts);

    LanguageRun run(language);
    MainWindow *w = run.startup.window();
    QVERIFY(w);
    auto *tabs = child<QTabWidget>(w, "tabWidget");
    QVERIFY(tabs);
    SettingDialog dialog(*DeviceLink::instance());
    auto *list = child<QListWidget>(&dialog, "listWidget");
    QVERIFY(list && list->count() > 0);

    const QStringList shown{
        tabs->tabText(0),
        tabs->tabText(1),
        tabs->tabText(2),
        child<QPushButton>(w, "pushButton_connect")->text(),
        child<QMenu>(w, "menuFile")->title(),
        child<QAction>(w, "action_about")->text(),
        child<QLabel>(w, "label_ota_result")->text(),
        dialog.windowTitle(),
        list->item(0)->text(),
        QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text()};
    QCOMPARE(shown, texts);
    QCOMPARE(w->windowTitle(), QStringLiteral("VOTK-WIFI BOX"));
}

void TestWindow::everyTextFitsItsWidget_data()
{
    QTest::addColumn<QByteArray>("language");
    QTest::newRow("en") << QByteArray("en");
    QTest::newRow("cn") << QByteArray("cn");
}

void TestWindow::everyTextFitsItsWidget()
{
    QFETCH(QByteArray, language);
    LanguageRun run(language);
    MainWindow *w = run.startup.window();
    QVERIFY(w);
    SettingDialog dialog(*DeviceLink::instance());
    dialog.show();
    PlotWindow plot(nullptr, nullptr);
    plot.show();
    BoxChooser chooser({{"/dev/hidraw0", "0001", "VOTK", "VOTK-WIFI BOX"}}, -1);
    chooser.show();
    layOutEveryPage(w);
    layOutEveryPage(&dialog);
    QStringList clipped =
        clippedTexts(w) + clippedTexts(&dialog) + clippedTexts(&plot) + clippedTexts(&chooser);
    // The trace window at its narrowest, with the jump button and both
    // refusals shown: every control whole, none over another.
    w->findChild<QAction *>("action_trace_window")->trigger();
    auto *trace = w->findChild<CanTraceWindow *>();
    QVERIFY(trace);
    for (const char *name : {"pushButton_jump", "label_filter_error", "label_search_error"}) {
        auto *shownLater = child<QWidget>(trace, name);
        QVERIFY2(shownLater, name);
        shownLater->show();
        if (auto *label = qobject_cast<QLabel *>(shownLater))
            label->setText(QCoreApplication::translate("CanTracePanel", "ID 过滤有误"));
    }
    trace->resize(1, 1);
    QCoreApplication::processEvents();
    QVERIFY2(trace->width() <= 900, qPrintable(QString::number(trace->width())));
    clipped += clippedTexts(trace) + overlapping(trace);

    // The texts the window sets on its labels while it runs.
    struct Set
    {
        const char *widget;
        const char *source;
        const char *context = "MainWindow";
    };
    const Set set[] = {
        {"label_connect_info", "VOTK已连接"},
        {"label_connect_info", "VOTK已断开"},
        {"label_ota_result", "进度："},
        {"label_ota_result", "进度:升级文件打开失败"},
        {"label_ota_result", "进度:升级文件校验错误"},
        {"label_ota_result", "进度:升级文件大小错误"},
        {"label_ota_result", "进度:升级文件错误"},
        {"label_ota_result", "进度:正在升级"},
        {"label_ota_result", "进度:请先选择升级文件"},
        {"label_ota_result", "设备重启中，请稍候"},
        {"label_ota_result", "结果:升级成功,请重新上电VOTK设备"},
        {"label_ota_result", "结果:升级中断,请重新连接VOTK设备后再试"},
        {"label_ota_result", "结果:升级失败"},
        {"pushButton_can_rx_pause", "冻结视图", "CanTracePanel"},
        {"pushButton_can_rx_pause", "解除冻结", "CanTracePanel"},
        {"label_can_rx_held", "未显示: %1", "CanTracePanel"},
        {"label_can_rx_filter_error", "ID 过滤有误", "CanTracePanel"},
        {"label_can_rx_search_error", "查找内容有误", "CanTracePanel"},
    };
    for (const Set &s : set) {
        auto *label = child<QWidget>(w, s.widget);
        QVERIFY2(label, s.widget);
        // Counts at their widest: eight digits.
        const QString text =
            QCoreApplication::translate(s.context, s.source).replace("%1", "88888888");
        const int over = overflow(label, text);
        if (over > 0)
            clipped << QStringLiteral("%1 \"%2\" by %3 px").arg(s.widget, text).arg(over);
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1String("\n"))));
}

void TestWindow::noTextOfTheOtherLanguage_data()
{
    QTest::addColumn<QByteArray>("language");
    QTest::newRow("en") << QByteArray("en");
    QTest::newRow("cn") << QByteArray("cn");
}

void TestWindow::noTextOfTheOtherLanguage()
{
    QFETCH(QByteArray, language);
    LanguageRun run(language);
    MainWindow *w = run.startup.window();
    QVERIFY(w);
    // Every window and dialog the menus open without a file chooser.
    for (const char *action : {"action_trace_window", "action_signal_plot"})
        child<QAction>(w, action)->trigger();
    auto *settings = new SettingDialog(*DeviceLink::instance());
    settings->show();
    QCoreApplication::processEvents();

    // The English window shows no Chinese but the name of its language; the
    // Chinese one no English but names, units, keys and file extensions.
    static const QRegularExpression cjk(
        QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    static const QRegularExpression upperHex(QStringLiteral("^[0-9A-F]+$"));
    static const QRegularExpression word(QStringLiteral("(?<![.\\w])[A-Za-z]{2,}\\w*"));
    static const QSet<QString> names{
        "VOTK",    "VOTK_BOX", "BOX",  "WB1",  "CAN",   "ID",  "DBC", "WIFI",  "WiFi",
        "RX",      "TX",       "DLC",  "USB",  "ASCII", "PNG", "CSV", "Intel", "Motorola",
        "English", "Shift",    "Ctrl", "Home", "ms",    "MB",  "hex"};
    QStringList wrong;
    for (const QString &text : visibleTexts()) {
        if (language == "en" && text.contains(cjk) && text != QStringLiteral("中文"))
            wrong << text;
        for (auto it = word.globalMatch(text); language == "cn" && it.hasNext();)
            if (const QString w = it.next().captured();
                !names.contains(w) && !upperHex.match(w).hasMatch()) {
                wrong << text;
                break;
            }
    }
    // Every control of the forms says what it does when hovered.
    for (QWidget *top : QApplication::topLevelWidgets())
        for (QWidget *c : top->findChildren<QWidget *>())
            if ((qobject_cast<QAbstractButton *>(c) || qobject_cast<QLineEdit *>(c) ||
                 qobject_cast<QComboBox *>(c) || qobject_cast<QAbstractSpinBox *>(c)) &&
                !c->objectName().isEmpty() && !c->objectName().startsWith(QLatin1String("qt_")) &&
                !qobject_cast<QTabBar *>(c->parentWidget()) && c->toolTip().isEmpty() &&
                top->isVisible())
                wrong << c->objectName() + QLatin1String(" has no tooltip");
    delete settings;
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1String("\n"))));
}

void TestWindow::everyObjectNameResolvesOnce_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("inside");

    struct Row
    {
        const char *name;
        const char *className;
        const char *inside;
    };
    const Row window[] = {
        {"centralwidget", "QWidget", "MainWindow"},
        {"tabWidget", "QTabWidget", "centralwidget"},
        {"tab_info", "QWidget", "tabWidget"},
        {"tab_can", "QWidget", "tabWidget"},
        {"tab_upgrade", "QWidget", "tabWidget"},
        {"menubar", "QMenuBar", "MainWindow"},
        {"statusbar", "QStatusBar", "MainWindow"},
        {"menuFile", "QMenu", "menubar"},
        {"menuAbout", "QMenu", "menubar"},
        {"actionsetting", "QAction", "MainWindow"},
        {"action_exit", "QAction", "MainWindow"},
        {"action_about", "QAction", "MainWindow"},
        {"label_pic", "QLabel", "tab_info"},
        {"pushButton_connect", "QPushButton", "tab_info"},
        {"label_connect_info", "QLabel", "tab_info"},
        {"layoutWidget", "QWidget", "tab_info"},
        {"verticalLayout", "QVBoxLayout", "layoutWidget"},
        {"label", "QLabel", "layoutWidget"},
        {"label_2", "QLabel", "layoutWidget"},
        {"label_3", "QLabel", "layoutWidget"},
        {"label_4", "QLabel", "layoutWidget"},
        {"label_5", "QLabel", "layoutWidget"},
        {"layoutWidget1", "QWidget", "tab_info"},
        {"verticalLayout_2", "QVBoxLayout", "layoutWidget1"},
        {"label_6", "QLabel", "layoutWidget1"},
        {"label_7", "QLabel", "layoutWidget1"},
        {"label_8", "QLabel", "layoutWidget1"},
        {"label_9", "QLabel", "layoutWidget1"},
        {"label_10", "QLabel", "layoutWidget1"},
        {"pushButton", "QPushButton", "tab_info"},
        {"line", "QFrame", "tab_info"},
        {"label_11", "QLabel", "tab_info"},
        {"label_12", "QLabel", "tab_info"},
        {"lineEdit_wifi_name", "QLineEdit", "tab_info"},
        {"lineEdit_wifi_pwd", "QLineEdit", "tab_info"},
        {"label_17", "QLabel", "tab_info"},
        {"pushButton_2", "QPushButton", "tab_info"},
        {"label_16", "QLabel", "tab_can"},
        {"table_can_rx", "QTableView", "tab_can"},
        {"pushButton_can_rx_pause", "QPushButton", "tab_can"},
        {"pushButton_can_rx_save", "QPushButton", "tab_can"},
        {"label_13", "QLabel", "tab_can"},
        {"label_14", "QLabel", "tab_can"},
        {"label_18", "QLabel", "tab_can"},
        {"lineEdit_can_id", "QLineEdit", "tab_can"},
        {"lineEdit_can_data", "QLineEdit", "tab_can"},
        {"pushButton_can_send", "QPushButton", "tab_can"},
        {"lineEdit_can_id_2", "QLineEdit", "tab_can"},
        {"lineEdit_can_data_2", "QLineEdit", "tab_can"},
        {"pushButton_can_send_2", "QPushButton", "tab_can"},
        {"lineEdit_ota_file", "QLineEdit", "tab_upgrade"},
        {"button_select_file", "QPushButton", "tab_upgrade"},
        {"pushButton_ota", "QPushButton", "tab_upgrade"},
        {"progressBar", "QProgressBar", "tab_upgrade"},
        {"label_ota_result", "QLabel", "tab_upgrade"},
    };
    const Row dialog[] = {
        {"listWidget", "QListWidget", "SettingDialog"},
        {"stackedWidget", "QStackedWidget", "SettingDialog"},
        {"page", "QWidget", "stackedWidget"},
        {"page_4", "QWidget", "stackedWidget"},
        {"page_2", "QWidget", "stackedWidget"},
        {"page_3", "QWidget", "stackedWidget"},
        {"label", "QLabel", "page"},
        {"radioButton_cn", "QRadioButton", "page"},
        {"radioButton_en", "QRadioButton", "page"},
        {"checkBox_auto_connect", "QCheckBox", "page_4"},
        {"label_2", "QLabel", "page_2"},
        {"label_can_time", "QLabel", "page_2"},
        {"pushButton_read_can_time", "QPushButton", "page_2"},
        {"lineEdit_can_time", "QLineEdit", "page_2"},
        {"label_3", "QLabel", "page_2"},
        {"pushButton_update_can_time", "QPushButton", "page_2"},
        {"spinBox_rx_row_limit", "QSpinBox", "page_2"},
        {"label_4", "QLabel", "page_3"},
        {"pushButto_wifi_factory", "QPushButton", "page_3"},
        {"label_factory", "QLabel", "page_3"},
    };
    for (const Row &r : window)
        QTest::addRow("MainWindow %s", r.name) << "MainWindow" << r.name << r.className << r.inside;
    for (const Row &r : dialog)
        QTest::addRow("SettingDialog %s", r.name)
            << "SettingDialog" << r.name << r.className << r.inside;
}

void TestWindow::everyObjectNameResolvesOnce()
{
    QFETCH(QString, form);
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, inside);

    std::unique_ptr<QWidget> root;
    if (form == QLatin1String("MainWindow"))
        root = std::make_unique<MainWindow>(*DeviceLink::instance());
    else
        root = std::make_unique<SettingDialog>(*DeviceLink::instance());
    QCOMPARE(root->objectName(), form);

    const QList<QObject *> found = root->findChildren<QObject *>(name);
    QCOMPARE(found.size(), 1);
    QVERIFY2(found.first()->inherits(className.toLatin1()),
             found.first()->metaObject()->className());
    QVERIFY(insideOf(found.first(), inside));
}

void TestWindow::mainFormOrdersTabsAndMenus()
{
    QMainWindow window;
    Ui::MainWindow ui;
    ui.setupUi(&window);
    // One pixel short of the minimum width, which start-up makes up for.
    QCOMPARE(window.size(), QSize(899, 600));
    QCOMPARE(ui.tabWidget->count(), 3);
    QCOMPARE(ui.tabWidget->currentIndex(), 0);
    QCOMPARE(ui.tabWidget->widget(0), ui.tab_info);
    QCOMPARE(ui.tabWidget->widget(1), ui.tab_can);
    QCOMPARE(ui.tabWidget->widget(2), ui.tab_upgrade);
    QCOMPARE(names(ui.menubar->actions()), (QStringList{"menuFile", "menuView", "menuAbout"}));
    QCOMPARE(names(ui.menuFile->actions()), (QStringList{"actionsetting", "action_exit"}));
    QCOMPARE(names(ui.menuAbout->actions()), QStringList{"action_about"});
    // The info tab's own form holds the two columns of labels.
    const auto layout = [&](const char *name) {
        return ui.tab_info->findChild<QVBoxLayout *>(QLatin1String(name));
    };
    const auto label = [&](const char *name) {
        return ui.tab_info->findChild<QLabel *>(QLatin1String(name));
    };
    QVERIFY(layout("verticalLayout")->indexOf(label("label")) == 0 &&
            layout("verticalLayout")->indexOf(label("label_5")) == 4);
    QVERIFY(layout("verticalLayout_2")->indexOf(label("label_6")) == 0 &&
            layout("verticalLayout_2")->indexOf(label("label_10")) == 4);
}

void TestWindow::settingsFormStartsTickedWithoutLanguage()
{
    QDialog dialog;
    Ui::SettingDialog ui;
    ui.setupUi(&dialog);
    QCOMPARE(dialog.size(), QSize(414, 229));
    QVERIFY(ui.checkBox_auto_connect->isChecked());
    QVERIFY(!ui.radioButton_cn->isChecked());
    QVERIFY(!ui.radioButton_en->isChecked());
    // List row n belongs to page n of the stack.
    const QStringList items{"语言", "自动连接", "CAN时间", "恢复出厂"};
    const QList<QWidget *> pages{ui.page, ui.page_4, ui.page_2, ui.page_3};
    QCOMPARE(ui.listWidget->count(), items.size());
    QCOMPARE(ui.stackedWidget->count(), pages.size());
    for (int i = 0; i < items.size(); ++i) {
        QCOMPARE(ui.listWidget->item(i)->text(), items.at(i));
        QCOMPARE(ui.stackedWidget->widget(i), pages.at(i));
    }
    QCOMPARE(ui.stackedWidget->currentIndex(), 0);
}

void TestWindow::startConnectsABoxAlreadyPresent_data()
{
    QTest::addColumn<QByteArray>("autoConnect");
    QTest::addColumn<bool>("connects");
    QTest::newRow("auto_connect=1") << QByteArray("1") << true;
    QTest::newRow("auto_connect=0") << QByteArray("0") << false;
}

void TestWindow::startConnectsABoxAlreadyPresent()
{
    QFETCH(QByteArray, autoConnect);
    QFETCH(bool, connects);
    SimFixture sim;
    TempWorkDir dir;
    dir.writeFile("config.ini", "[General]\nlanguage=cn\nauto_connect=" + autoConnect + "\n");
    Startup startup{StartOptions()};
    startup.prepare(*QCoreApplication::instance());
    MainWindow *w = startup.window();
    QVERIFY(w);

    // As on plug-in: the handshake, then the information read.
    QVERIFY(waitForBoxWork(w));
    QCOMPARE(child<QLabel>(w, "label_connect_info")->text(),
             connects ? QString("VOTK已连接") : QString());
    QCOMPARE(child<QPushButton>(w, "pushButton_connect")->isEnabled(), !connects);
    QCOMPARE(child<QLabel>(w, "label_6")->text(),
             connects ? sim.box.identity().softwareId : QString("..."));
    QCOMPARE(w->statusBar()->currentMessage(), connects ? QString("USB线连接") : QString());
    QCOMPARE(sim.box.wire().isEmpty(), !connects);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
