// The five designer forms, built on bare windows: object names and kinds,
// grid cells, captions and combo items letter for letter, fonts and sizes.
//
// Captions that mix scripts spell the look-alike letters as escapes:
// \u0078 Latin x, \u0063 Latin c, \u0445 Cyrillic х, \u0441 Cyrillic с.

#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QSpacerItem>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QTranslator>

#include <functional>

#include "ui_archive.h"
#include "ui_log_class.h"
#include "ui_mainwindow.h"
#include "ui_scan.h"
#include "ui_settings.h"

namespace {

// Answers every lookup with "context|source": a caption that really goes
// through the translation function then shows the context it was asked in.
class MarkingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        return QString::fromLatin1(context) + QLatin1Char('|') + QString::fromUtf8(source);
    }
};

struct Form
{
    QWidget *root = nullptr;
    std::function<void()> retranslate;
    QHash<QString, QSpacerItem *> spacers; // spacers are no QObjects: found through the form struct
};

// One occupied grid cell. The form is named by its root object name, which is
// also the translation context of its texts.
struct Cell
{
    const char *form;
    const char *layout;
    const char *name;
    const char *cls;
    int row;
    int col;
    int rowSpan = 1;
    int colSpan = 1;
};

const char *const MW = "MainWindow";
const char *const AR = "archive";
const char *const ST = "settings";
const char *const LG = "LOG_class";
const char *const SC = "ScanWindow";

const Cell cells[] = {
    // top-level grid of the main window: the blocks, the status label, the spacer
    {MW, "gridLayout_9", "gridLayout", "QGridLayout", 0, 0},
    {MW, "gridLayout_9", "gridLayout_2", "QGridLayout", 0, 1, 1, 2},
    {MW, "gridLayout_9", "gridLayout_3", "QGridLayout", 1, 0},
    {MW, "gridLayout_9", "gridLayout_5", "QGridLayout", 1, 1, 2, 1},
    {MW, "gridLayout_9", "gridLayout_6", "QGridLayout", 1, 2, 2, 1},
    {MW, "gridLayout_9", "gridLayout_4", "QGridLayout", 2, 0},
    {MW, "gridLayout_9", "label_31", "QLabel", 4, 0},
    {MW, "gridLayout_9", "verticalSpacer", "QSpacerItem", 4, 2},
    // command column
    {MW, "gridLayout", "setting_btn", "QPushButton", 0, 0},
    {MW, "gridLayout", "start_btn", "QPushButton", 1, 0},
    {MW, "gridLayout", "param_btn", "QPushButton", 2, 0},
    {MW, "gridLayout", "arch_btn", "QPushButton", 3, 0},
    {MW, "gridLayout", "open_btn", "QPushButton", 4, 0},
    {MW, "gridLayout", "write_btn", "QPushButton", 5, 0},
    {MW, "gridLayout", "log_btn", "QPushButton", 6, 0},
    {MW, "gridLayout", "scan_btn", "QPushButton", 7, 0},
    {MW, "gridLayout", "journal_btn", "QPushButton", 8, 0},
    {MW, "gridLayout", "service_layout", "QHBoxLayout", 9, 0},
    {MW, "gridLayout", "about_btn", "QPushButton", 10, 0},
    // write block
    {MW, "gridLayout_2", "adr_click_w", "QCheckBox", 0, 0},
    {MW, "gridLayout_2", "adr_line_w", "QLineEdit", 0, 1},
    {MW, "gridLayout_2", "speed_click_w", "QCheckBox", 1, 0},
    {MW, "gridLayout_2", "speed_box_w", "QComboBox", 1, 1},
    {MW, "gridLayout_2", "bit_click_w", "QCheckBox", 2, 0},
    {MW, "gridLayout_2", "bit_box_w", "QComboBox", 2, 1},
    {MW, "gridLayout_2", "date_save_w", "QCheckBox", 3, 0},
    {MW, "gridLayout_2", "date_line_w", "QLineEdit", 3, 1},
    // identification block (row 5 stays empty)
    {MW, "gridLayout_3", "adr_click", "QCheckBox", 0, 0},
    {MW, "gridLayout_3", "adr_line", "QLineEdit", 0, 1},
    {MW, "gridLayout_3", "s_num_click", "QCheckBox", 1, 0},
    {MW, "gridLayout_3", "sereal_num_line_w", "QLineEdit", 1, 1},
    {MW, "gridLayout_3", "label", "QLabel", 2, 0},
    {MW, "gridLayout_3", "ver_prot_line", "QLineEdit", 2, 1},
    {MW, "gridLayout_3", "label_2", "QLabel", 3, 0},
    {MW, "gridLayout_3", "ver_PO_line", "QLineEdit", 3, 1},
    {MW, "gridLayout_3", "label_3", "QLabel", 4, 0},
    {MW, "gridLayout_3", "ID_PO_line", "QLineEdit", 4, 1},
    {MW, "gridLayout_3", "label_5", "QLabel", 6, 0},
    {MW, "gridLayout_3", "model_line", "QLineEdit", 6, 1},
    {MW, "gridLayout_3", "label_6", "QLabel", 7, 0},
    {MW, "gridLayout_3", "K_line", "QLineEdit", 7, 1},
    {MW, "gridLayout_3", "label_7", "QLabel", 8, 0},
    {MW, "gridLayout_3", "border_line", "QLineEdit", 8, 1},
    {MW, "gridLayout_3", "label_8", "QLabel", 9, 0},
    {MW, "gridLayout_3", "type_line", "QLineEdit", 9, 1},
    {MW, "gridLayout_3", "label_32", "QLabel", 10, 0},
    {MW, "gridLayout_3", "serial_num_line", "QLineEdit", 10, 1},
    // current readings block
    {MW, "gridLayout_5", "label_19", "QLabel", 0, 0},
    {MW, "gridLayout_5", "write_time_click", "QCheckBox", 1, 0},
    {MW, "gridLayout_5", "hend_time", "QCheckBox", 1, 1},
    {MW, "gridLayout_5", "label_11", "QLabel", 2, 0},
    {MW, "gridLayout_5", "real_time_line", "QLineEdit", 2, 1},
    {MW, "gridLayout_5", "label_12", "QLabel", 3, 0},
    {MW, "gridLayout_5", "real_state_lin", "QLineEdit", 3, 1},
    {MW, "gridLayout_5", "label_13", "QLabel", 4, 0},
    {MW, "gridLayout_5", "real_event_line", "QLineEdit", 4, 1},
    {MW, "gridLayout_5", "label_14", "QLabel", 5, 0},
    {MW, "gridLayout_5", "real_obr_line", "QLineEdit", 5, 1},
    {MW, "gridLayout_5", "label_25", "QLabel", 6, 0},
    {MW, "gridLayout_5", "label_21", "QLabel", 7, 0},
    {MW, "gridLayout_5", "time_sut_line", "QLineEdit", 7, 1},
    {MW, "gridLayout_5", "label_22", "QLabel", 8, 0},
    {MW, "gridLayout_5", "state_sut_line", "QLineEdit", 8, 1},
    {MW, "gridLayout_5", "label_24", "QLabel", 9, 0},
    {MW, "gridLayout_5", "event_sut_line", "QLineEdit", 9, 1},
    {MW, "gridLayout_5", "label_23", "QLabel", 10, 0},
    {MW, "gridLayout_5", "obr_sut_line", "QLineEdit", 10, 1},
    // journal block (row 0 stays empty)
    {MW, "gridLayout_6", "label_20", "QLabel", 1, 0},
    {MW, "gridLayout_6", "label_15", "QLabel", 2, 0},
    {MW, "gridLayout_6", "time_houer_line", "QLineEdit", 2, 1},
    {MW, "gridLayout_6", "label_16", "QLabel", 3, 0},
    {MW, "gridLayout_6", "state_houer_line", "QLineEdit", 3, 1},
    {MW, "gridLayout_6", "label_18", "QLabel", 4, 0},
    {MW, "gridLayout_6", "event_houer_line", "QLineEdit", 4, 1},
    {MW, "gridLayout_6", "label_17", "QLabel", 5, 0},
    {MW, "gridLayout_6", "obr_houer_line", "QLineEdit", 5, 1},
    {MW, "gridLayout_6", "label_30", "QLabel", 6, 0},
    {MW, "gridLayout_6", "label_26", "QLabel", 7, 0},
    {MW, "gridLayout_6", "time_jurnal_line", "QLineEdit", 7, 1},
    {MW, "gridLayout_6", "label_27", "QLabel", 8, 0},
    {MW, "gridLayout_6", "state_jurnal_line", "QLineEdit", 8, 1},
    {MW, "gridLayout_6", "label_29", "QLabel", 9, 0},
    {MW, "gridLayout_6", "event_jurnal_line", "QLineEdit", 9, 1},
    {MW, "gridLayout_6", "label_28", "QLabel", 10, 0},
    {MW, "gridLayout_6", "obr_jurnal_line", "QLineEdit", 10, 1},
    // build-info block
    {MW, "gridLayout_4", "label_4", "QLabel", 0, 0},
    {MW, "gridLayout_4", "num_build_v", "QLabel", 0, 1},
    {MW, "gridLayout_4", "label_9", "QLabel", 1, 0},
    {MW, "gridLayout_4", "date_comp_w", "QLabel", 1, 1},
    {MW, "gridLayout_4", "label_10", "QLabel", 2, 0},
    {MW, "gridLayout_4", "time_comp_w", "QLabel", 2, 1},

    {AR, "gridLayout", "tabWidget", "QTabWidget", 0, 0},
    {AR, "gridLayout", "save_btn", "QPushButton", 1, 0},
    {AR, "gridLayout_2", "tableWidget", "QTableView", 0, 0},
    {AR, "gridLayout_3", "tableWidget_2", "QTableView", 0, 0},
    {AR, "gridLayout_4", "tableWidget_3", "QTableView", 0, 0},

    {ST, "gridLayout_2", "gridLayout", "QGridLayout", 0, 0},
    {ST, "gridLayout", "label", "QLabel", 0, 0},
    {ST, "gridLayout", "name_box", "QComboBox", 0, 1},
    {ST, "gridLayout", "label_2", "QLabel", 1, 0},
    {ST, "gridLayout", "speed_box", "QComboBox", 1, 1},
    {ST, "gridLayout", "label_3", "QLabel", 2, 0},
    {ST, "gridLayout", "bot_box_param", "QComboBox", 2, 1},
    {ST, "gridLayout", "label_4", "QLabel", 3, 0},
    {ST, "gridLayout", "parity_box", "QComboBox", 3, 1},
    {ST, "gridLayout", "label_5", "QLabel", 4, 0},
    {ST, "gridLayout", "time_yes", "QLineEdit", 4, 1},
    {ST, "gridLayout", "label_6", "QLabel", 5, 0},
    {ST, "gridLayout", "time_no", "QLineEdit", 5, 1},
    {ST, "gridLayout", "label_7", "QLabel", 6, 0},
    {ST, "gridLayout", "time_arc_y", "QLineEdit", 6, 1},
    {ST, "gridLayout", "label_8", "QLabel", 7, 0},
    {ST, "gridLayout", "time_arc_n", "QLineEdit", 7, 1},
    {ST, "gridLayout", "net_click", "QCheckBox", 8, 0},
    {ST, "gridLayout", "host_label", "QLabel", 9, 0},
    {ST, "gridLayout", "host_line", "QLineEdit", 9, 1},
    {ST, "gridLayout", "tcp_port_label", "QLabel", 10, 0},
    {ST, "gridLayout", "tcp_port_line", "QLineEdit", 10, 1},
    {ST, "gridLayout", "set_btn", "QPushButton", 11, 1},

    {LG, "gridLayout_3", "gridLayout", "QGridLayout", 0, 0},
    {LG, "gridLayout", "textEdit", "QTextEdit", 2, 0},
    {LG, "gridLayout", "gridLayout_2", "QGridLayout", 3, 0},
    {LG, "gridLayout_2", "horizontalSpacer", "QSpacerItem", 0, 0},
    {LG, "gridLayout_2", "save_btn", "QPushButton", 0, 1},
    {LG, "gridLayout_2", "clear_btn", "QPushButton", 0, 2},
    {LG, "gridLayout_2", "log_time_box", "QCheckBox", 0, 3},

    {SC, "gridLayout", "scan_from_label", "QLabel", 0, 0},
    {SC, "gridLayout", "scan_from_box", "QSpinBox", 0, 1},
    {SC, "gridLayout", "scan_to_label", "QLabel", 0, 2},
    {SC, "gridLayout", "scan_to_box", "QSpinBox", 0, 3},
    {SC, "gridLayout", "scan_wait_label", "QLabel", 0, 4},
    {SC, "gridLayout", "scan_wait_box", "QSpinBox", 0, 5},
    {SC, "gridLayout", "scan_start_btn", "QPushButton", 1, 0, 1, 2},
    {SC, "gridLayout", "scan_stop_btn", "QPushButton", 1, 2, 1, 2},
    {SC, "gridLayout", "scan_choose_btn", "QPushButton", 1, 4, 1, 2},
    {SC, "gridLayout", "riser_layout", "QGridLayout", 5, 0, 1, 7},
    {SC, "riser_layout", "read_all_btn", "QPushButton", 0, 0},
    {SC, "riser_layout", "sync_all_btn", "QPushButton", 0, 1},
    {SC, "riser_layout", "sync_threshold_label", "QLabel", 0, 2},
    {SC, "riser_layout", "sync_threshold_box", "QSpinBox", 0, 3},
    {SC, "riser_layout", "riser_table", "QTableView", 1, 0, 1, 4},
    {SC, "riser_layout", "riser_status", "QLabel", 2, 0, 1, 4},
    {SC, "gridLayout", "commission_group", "QGroupBox", 6, 0, 1, 7},
    {SC, "commission_grid", "scan_serials_label", "QLabel", 0, 0},
    {SC, "commission_grid", "scan_serials_line", "QLineEdit", 0, 1, 1, 3},
    {SC, "commission_grid", "scan_serials_btn", "QPushButton", 0, 4},
    {SC, "commission_grid", "assign_from_label", "QLabel", 0, 5},
    {SC, "commission_grid", "assign_from_box", "QSpinBox", 0, 6},
    {SC, "commission_grid", "assign_address_btn", "QPushButton", 0, 7},
    {SC, "commission_grid", "batch_item_box", "QComboBox", 1, 0},
    {SC, "commission_grid", "batch_value_box", "QComboBox", 1, 1, 1, 2},
    {SC, "commission_grid", "batch_date_line", "QLineEdit", 1, 3},
    {SC, "commission_grid", "batch_write_btn", "QPushButton", 1, 4},
    {SC, "gridLayout", "scan_progress", "QProgressBar", 2, 0, 1, 7},
    {SC, "gridLayout", "scan_table", "QTableView", 3, 0, 1, 7},
    {SC, "gridLayout", "scan_status", "QLabel", 4, 0, 1, 7},
    {SC, "gridLayout", "scan_line_group", "QGroupBox", 0, 6, 2, 1},
    {SC, "scan_line_grid", "scan_line_box", "QCheckBox", 0, 0, 1, 4},
    {SC, "scan_line_grid", "scan_rate_1200_box", "QCheckBox", 1, 0},
    {SC, "scan_line_grid", "scan_rate_2400_box", "QCheckBox", 1, 1},
    {SC, "scan_line_grid", "scan_rate_4800_box", "QCheckBox", 1, 2},
    {SC, "scan_line_grid", "scan_rate_9600_box", "QCheckBox", 1, 3},
    {SC, "scan_line_grid", "scan_parity_none_box", "QCheckBox", 2, 0},
    {SC, "scan_line_grid", "scan_parity_odd_box", "QCheckBox", 2, 1},
    {SC, "scan_line_grid", "scan_parity_even_box", "QCheckBox", 2, 2},
    {SC, "scan_line_grid", "scan_time_label", "QLabel", 3, 0, 1, 4},
};

// Removes the marking translator and restores the plain texts even when a
// check in between fails.
class MarkedTexts
{
public:
    explicit MarkedTexts(std::function<void()> retranslate)
        : m_retranslate(std::move(retranslate))
    {
        QCoreApplication::installTranslator(&m_marks);
        m_retranslate();
    }
    ~MarkedTexts()
    {
        QCoreApplication::removeTranslator(&m_marks);
        m_retranslate();
    }

private:
    std::function<void()> m_retranslate;
    MarkingTranslator m_marks;
};

QString marked(const QString &context, const QString &text)
{
    return context + QLatin1Char('|') + text;
}

} // namespace

class TestForms : public QObject
{
    Q_OBJECT

public:
    TestForms();

private slots:
    void windows_data();
    void windows();
    void placement_data();
    void placement();
    void gridsHoldOnlyListed();
    void holders_data();
    void holders();
    void emptyCells_data();
    void emptyCells();
    void captions_data();
    void captions();
    void comboItems_data();
    void comboItems();
    void fonts_data();
    void fonts();
    void spacers_data();
    void spacers();
    void mainWindowFrame();
    void archivePages();
    void editorsUnrestricted();
    void scanInputs();
    void scanTable();
    void riserTable();

private:
    QObject *unique(const QString &form, const QString &name) const;
    QGridLayout *grid(const QString &form, const QString &name) const;

    QMainWindow m_mainWin;
    QWidget m_archiveWin;
    QWidget m_settingsWin;
    QWidget m_logWin;
    QWidget m_scanWin;
    Ui::MainWindow m_main;
    Ui::archive m_archive;
    Ui::settings m_settings;
    Ui::LOG_class m_log;
    Ui::ScanWindow m_scan;
    QHash<QString, Form> m_forms;
};

TestForms::TestForms()
{
    m_main.setupUi(&m_mainWin);
    m_archive.setupUi(&m_archiveWin);
    m_settings.setupUi(&m_settingsWin);
    m_log.setupUi(&m_logWin);
    m_scan.setupUi(&m_scanWin);

    m_forms[MW]
        = {&m_mainWin, [this] { m_main.retranslateUi(&m_mainWin); }, {{"verticalSpacer", m_main.verticalSpacer}}};
    m_forms[AR] = {&m_archiveWin, [this] { m_archive.retranslateUi(&m_archiveWin); }, {}};
    m_forms[ST] = {&m_settingsWin, [this] { m_settings.retranslateUi(&m_settingsWin); }, {}};
    m_forms[LG]
        = {&m_logWin, [this] { m_log.retranslateUi(&m_logWin); }, {{"horizontalSpacer", m_log.horizontalSpacer}}};
    m_forms[SC] = {&m_scanWin, [this] { m_scan.retranslateUi(&m_scanWin); }, {}};
}

// The one object of the form with that name (the root included), or null when
// there is none or more than one.
QObject *TestForms::unique(const QString &form, const QString &name) const
{
    QWidget *root = m_forms.value(form).root;
    if (!root)
        return nullptr;
    QList<QObject *> found = root->findChildren<QObject *>(name);
    if (root->objectName() == name)
        found.prepend(root);
    return found.size() == 1 ? found.first() : nullptr;
}

QGridLayout *TestForms::grid(const QString &form, const QString &name) const
{
    return qobject_cast<QGridLayout *>(unique(form, name));
}

void TestForms::windows_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QSize>("size");

    QTest::newRow(MW) << MW << "QMainWindow" << QSize(981, 652);
    QTest::newRow(AR) << AR << "QWidget" << QSize(663, 489);
    QTest::newRow(ST) << ST << "QWidget" << QSize(503, 420);
    QTest::newRow(LG) << LG << "QWidget" << QSize(514, 479);
    QTest::newRow(SC) << SC << "QWidget" << QSize(1040, 720);
}

void TestForms::windows()
{
    QFETCH(QString, form);
    QFETCH(QString, cls);
    QFETCH(QSize, size);

    QWidget *root = m_forms.value(form).root;
    QCOMPARE(root->objectName(), form);
    QCOMPARE(QString::fromLatin1(root->metaObject()->className()), cls);
    QCOMPARE(root->size(), size);
    QCOMPARE(root->minimumSize(), QSize(0, 0));
    QCOMPARE(root->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

void TestForms::placement_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QRect>("cell"); // x = column, y = row, width = column span, height = row span

    for (const Cell &c : cells)
        QTest::addRow("%s/%s", c.form, c.name)
            << c.form << c.layout << c.name << c.cls << QRect(c.col, c.row, c.colSpan, c.rowSpan);
}

void TestForms::placement()
{
    QFETCH(QString, form);
    QFETCH(QString, layout);
    QFETCH(QString, name);
    QFETCH(QString, cls);
    QFETCH(QRect, cell);

    QGridLayout *g = grid(form, layout);
    QVERIFY2(g, qPrintable(layout));

    int index = -1;
    if (cls == QLatin1String("QSpacerItem")) {
        QSpacerItem *spacer = m_forms.value(form).spacers.value(name);
        QVERIFY(spacer);
        index = g->indexOf(spacer);
    } else {
        QObject *obj = unique(form, name);
        QVERIFY2(obj, "missing or not unique");
        QCOMPARE(QString::fromLatin1(obj->metaObject()->className()), cls);
        if (auto *w = qobject_cast<QWidget *>(obj))
            index = g->indexOf(w);
        else
            index = g->indexOf(static_cast<QLayoutItem *>(qobject_cast<QLayout *>(obj)));
    }
    QVERIFY2(index >= 0, "not in this grid");

    int row, col, rowSpan, colSpan;
    g->getItemPosition(index, &row, &col, &rowSpan, &colSpan);
    QCOMPARE(QRect(col, row, colSpan, rowSpan), cell);
}

// Nothing sits in a grid that the cell table does not name.
void TestForms::gridsHoldOnlyListed()
{
    for (auto it = m_forms.cbegin(); it != m_forms.cend(); ++it) {
        const QString form = it.key();
        const QList<QGridLayout *> grids = it->root->findChildren<QGridLayout *>();
        QVERIFY(!grids.isEmpty());
        for (QGridLayout *g : grids) {
            QStringList held;
            for (int i = 0; i < g->count(); ++i) {
                QLayoutItem *item = g->itemAt(i);
                if (item->widget())
                    held << item->widget()->objectName();
                else if (item->layout())
                    held << item->layout()->objectName();
                else
                    held << it->spacers.key(item->spacerItem(), QStringLiteral("<unknown spacer>"));
            }
            QStringList listed;
            for (const Cell &c : cells)
                if (form == QLatin1String(c.form) && g->objectName() == QLatin1String(c.layout))
                    listed << QString::fromLatin1(c.name);
            held.sort();
            listed.sort();
            QVERIFY2(held == listed,
                     qPrintable(form + QLatin1Char('/') + g->objectName() + QLatin1String(": ")
                                + held.join(QLatin1Char(' '))));
        }
    }
}

// Objects outside the grid cells: what holds them.
void TestForms::holders_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QString>("holder");

    const char *const rows[][4] = {
        {MW, "centralWidget", "QWidget", "MainWindow"},
        {MW, "menuBar", "QMenuBar", "MainWindow"},
        {MW, "mainToolBar", "QToolBar", "MainWindow"},
        {MW, "statusBar", "QStatusBar", "MainWindow"},
        {MW, "gridLayout_9", "QGridLayout", "centralWidget"},
        {AR, "gridLayout", "QGridLayout", "archive"},
        {AR, "tab", "QWidget", "tabWidget"},
        {AR, "tab_2", "QWidget", "tabWidget"},
        {AR, "tab_3", "QWidget", "tabWidget"},
        {AR, "gridLayout_2", "QGridLayout", "tab"},
        {AR, "gridLayout_3", "QGridLayout", "tab_2"},
        {AR, "gridLayout_4", "QGridLayout", "tab_3"},
        {ST, "gridLayout_2", "QGridLayout", "settings"},
        {LG, "gridLayout_3", "QGridLayout", "LOG_class"},
        {SC, "gridLayout", "QGridLayout", "ScanWindow"},
        {SC, "scan_line_grid", "QGridLayout", "scan_line_group"},
    };
    for (const auto &r : rows)
        QTest::addRow("%s/%s", r[0], r[1]) << r[0] << r[1] << r[2] << r[3];
}

void TestForms::holders()
{
    QFETCH(QString, form);
    QFETCH(QString, name);
    QFETCH(QString, cls);
    QFETCH(QString, holder);

    QObject *obj = unique(form, name);
    auto *h = qobject_cast<QWidget *>(unique(form, holder));
    QVERIFY2(obj, "missing or not unique");
    QVERIFY(h);
    QCOMPARE(QString::fromLatin1(obj->metaObject()->className()), cls);

    if (auto *layout = qobject_cast<QLayout *>(obj)) {
        QCOMPARE(h->layout(), layout);
    } else if (auto *tabs = qobject_cast<QTabWidget *>(h)) {
        QVERIFY(tabs->indexOf(qobject_cast<QWidget *>(obj)) >= 0);
    } else {
        QCOMPARE(obj->parent(), static_cast<QObject *>(h));
        if (auto *mainWin = qobject_cast<QMainWindow *>(h)) {
            if (auto *toolBar = qobject_cast<QToolBar *>(obj))
                QCOMPARE(mainWin->toolBarArea(toolBar), Qt::TopToolBarArea);
            else
                QVERIFY(mainWin->centralWidget() == obj || mainWin->menuWidget() == obj || mainWin->statusBar() == obj);
        }
    }
}

void TestForms::emptyCells_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col"); // -1: the whole row

    QTest::newRow("identification row 5") << MW << "gridLayout_3" << 5 << -1;
    QTest::newRow("journal row 0") << MW << "gridLayout_6" << 0 << -1;
    QTest::newRow("top-level row 3") << MW << "gridLayout_9" << 3 << -1;
    QTest::newRow("settings button label") << ST << "gridLayout" << 11 << 0;
    QTest::newRow("log row 0") << LG << "gridLayout" << 0 << -1;
    QTest::newRow("log row 1") << LG << "gridLayout" << 1 << -1;
}

void TestForms::emptyCells()
{
    QFETCH(QString, form);
    QFETCH(QString, layout);
    QFETCH(int, row);
    QFETCH(int, col);

    QGridLayout *g = grid(form, layout);
    QVERIFY(g);
    if (col < 0)
        QVERIFY(row < g->rowCount() - 1); // a gap between used rows, not the end of the grid
    const int first = col < 0 ? 0 : col;
    const int last = col < 0 ? g->columnCount() - 1 : col;
    for (int c = first; c <= last; ++c)
        QVERIFY2(!g->itemAtPosition(row, c), qPrintable(QStringLiteral("column %1").arg(c)));
}

void TestForms::captions_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    auto row = [](const char *form, const char *name, const char *text) {
        QTest::addRow("%s/%s", form, name) << form << name << QString::fromUtf8(text);
    };

    row(MW, "MainWindow", "MainWindow");
    row(MW, "setting_btn", "Настройка порта");
    row(MW, "start_btn", "Запуск порта");
    row(MW, "param_btn", "Считать из счетчика параметры и показания");
    row(MW, "arch_btn", "Считать из счетчика архивные показания");
    row(MW, "open_btn", "Открыть архив "); // trailing space
    row(MW, "write_btn", "Записать в счетчик");
    row(MW, "log_btn", "Лог");
    row(MW, "scan_btn", "Поиск счетчиков");
    row(MW, "journal_btn", "Журнал");
    row(MW, "about_btn", "О программе");
    row(MW, "adr_click_w", "Адрес устройств");
    row(MW, "speed_click_w", "Код скорости обмена");
    row(MW, "bit_click_w", "Параметры битов четности");
    row(MW, "date_save_w", "Дата сохранения");
    row(MW, "adr_click", "Обращ. по адресу устр.");
    row(MW, "s_num_click", "Обращ. по сер. номеру");
    row(MW, "label", "Версия протокола");
    row(MW, "label_2", "Версия ПО");
    row(MW, "label_3", "Идентификатор ПО");
    row(MW, "label_5", "Модель счетчика");
    row(MW, "label_6", "Число К");
    row(MW, "label_7", "Порог эл. блока");
    row(MW, "label_8", "Тип устройства");
    row(MW, "label_32", "Серийный номер");
    row(MW, "label_19", "Текущие показания");
    row(MW, "write_time_click", "Записывать время");
    row(MW, "hend_time", "Ручной ввод");
    row(MW, "label_25", "Пок. на посл. сутки");
    row(MW, "label_20", "Показания на начало часа");
    row(MW, "label_30", "Пок. на начало сохр. в мес. журнал");
    // the same four captions in the current, daily, hourly and journal groups
    const char *const groups[][4] = {
        {"label_11", "label_12", "label_13", "label_14"},
        {"label_21", "label_22", "label_24", "label_23"},
        {"label_15", "label_16", "label_18", "label_17"},
        {"label_26", "label_27", "label_29", "label_28"},
    };
    for (const auto &g : groups) {
        row(MW, g[0], "Время");
        row(MW, g[1], "Показания, м3");
        row(MW, g[2], "События");
        row(MW, g[3], "Пок. обр. потока, м3");
    }
    for (const char *name : {"label_4", "num_build_v", "label_9", "date_comp_w", "label_10", "time_comp_w", "label_31"})
        row(MW, name, "TextLabel");

    row(AR, "archive", "Form");
    row(AR, "tab", "Tab 1");
    row(AR, "tab_2", "Tab 2");
    row(AR, "tab_3", "Страница");
    row(AR, "save_btn", "Сохранить в файл");

    row(ST, "settings", "Form");
    row(ST, "label", "Порт");
    row(ST, "label_2", "Скорость");
    row(ST, "label_3", "Количество стоп битов");
    row(ST, "label_4", "Проверка на четность");
    row(ST, "label_5", "Время успешны\u0078 посылок(осн. окно), мс");
    row(ST, "label_6", "Время неуспешных посылок(осн. окно), мс");
    row(ST, "label_7", "Время успешны\u0078 посылок(архив), мс");
    row(ST, "label_8", "Время неуспешных посылок(архив), мс");
    row(ST, "net_click", "Сетевая линия (RTU поверх TCP)");
    row(ST, "host_label", "Адрес сервера");
    row(ST, "tcp_port_label", "TCP порт");
    row(ST, "set_btn", "OK");

    row(LG, "LOG_class", "Form");
    row(LG, "save_btn", "Сохранить");
    row(LG, "clear_btn", "Очистить");
    row(LG, "log_time_box", "Время");

    row(SC, "ScanWindow", "Поиск счетчиков");
    row(SC, "scan_from_label", "С адреса");
    row(SC, "scan_to_label", "По адрес");
    row(SC, "scan_wait_label", "Ожидание ответа, мс");
    row(SC, "scan_start_btn", "Начать");
    row(SC, "scan_stop_btn", "Стоп");
    row(SC, "scan_choose_btn", "Выбрать");
    row(SC, "read_all_btn", "Считать все");
    row(SC, "sync_all_btn", "Установить время всем");
    row(SC, "sync_threshold_label", "Расходятся более чем на");
    row(SC, "assign_address_btn", "Назначить адрес");
    row(SC, "batch_write_btn", "Записать выбранным");
    row(SC, "scan_line_box", "Перебрать скорости и четности");
    row(SC, "scan_parity_odd_box", "нечет");
}

void TestForms::captions()
{
    QFETCH(QString, form);
    QFETCH(QString, name);
    QFETCH(QString, text);

    QObject *obj = unique(form, name);
    QVERIFY2(obj, "missing or not unique");

    // window title for a form's root, tab text for a tab page, else the text property
    auto caption = [obj]() -> QString {
        auto *w = qobject_cast<QWidget *>(obj);
        if (w && w->isWindow())
            return w->windowTitle();
        if (auto *tabs = qobject_cast<QTabWidget *>(obj->parent() ? obj->parent()->parent() : nullptr))
            return tabs->tabText(tabs->indexOf(w));
        return obj->property("text").toString();
    };

    QCOMPARE(caption(), text);
    const MarkedTexts marks(m_forms.value(form).retranslate);
    QCOMPARE(caption(), marked(form, text));
}

void TestForms::comboItems_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("speed_box_w") << MW << "speed_box_w" << QStringList{"0 - 1200", "1 - 2400", "2 - 4800", "3 - 9600"};
    QTest::newRow("bit_box_w") << MW << "bit_box_w"
                               << QStringList{
                                      QString::fromUtf8("0\u00780001 - 1 \u0063т.бит нет проверки на четность"),
                                      QString::fromUtf8("0\u04450002 - 2 \u0441т.бита, нет проверки на четность"),
                                      QString::fromUtf8("0\u04450201 - 1 \u0441т.бит, проверка на нечетность"),
                                      QString::fromUtf8("0\u00780202 - 2 \u0441т.бит, проверка на нечетность"),
                                      QString::fromUtf8("0\u04450301 - 1 \u0441т.бит, проверка на четность"),
                                      QString::fromUtf8("0\u04450302 - 2 \u0441т.бит, проверка на четность")};
    QTest::newRow("name_box") << ST << "name_box" << QStringList(); // filled with the ports at run time
    QTest::newRow("speed_box") << ST << "speed_box" << QStringList{"1200", "2400", "4800", "9600"};
    QTest::newRow("bot_box_param") << ST << "bot_box_param" << QStringList{"1", "2"};
    QTest::newRow("parity_box") << ST << "parity_box"
                                << QStringList{QString::fromUtf8("нет проверки"),
                                               QString::fromUtf8("проверка на нечетность"),
                                               QString::fromUtf8("проверка на четность")};
}

void TestForms::comboItems()
{
    QFETCH(QString, form);
    QFETCH(QString, name);
    QFETCH(QStringList, items);

    auto *box = qobject_cast<QComboBox *>(unique(form, name));
    QVERIFY(box);
    QVERIFY(!box->isEditable());
    QCOMPARE(box->currentIndex(), items.isEmpty() ? -1 : 0);

    auto texts = [box] {
        QStringList all;
        for (int i = 0; i < box->count(); ++i)
            all << box->itemText(i);
        return all;
    };
    QCOMPARE(texts(), items);

    const MarkedTexts marks(m_forms.value(form).retranslate);
    QStringList expected;
    for (const QString &item : items)
        expected << marked(form, item);
    QCOMPARE(texts(), expected);
}

void TestForms::fonts_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("container");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("odd"); // the one widget with another size
    QTest::addColumn<int>("oddPoints");

    QTest::newRow("main window grid") << MW << "centralWidget" << 10 << "label_31" << 12;
    QTest::newRow("settings") << ST << "settings" << 10 << QString() << 0;
    QTest::newRow("scan") << SC << "ScanWindow" << 10 << QString() << 0;
}

// Each widget carries its own font (size only, default family), rather than
// inheriting one from its container.
void TestForms::fonts()
{
    QFETCH(QString, form);
    QFETCH(QString, container);
    QFETCH(int, points);
    QFETCH(QString, odd);
    QFETCH(int, oddPoints);

    auto *holder = qobject_cast<QWidget *>(unique(form, container));
    QVERIFY(holder);
    QVERIFY(!holder->testAttribute(Qt::WA_SetFont));

    const QList<QWidget *> widgets = holder->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(!widgets.isEmpty());
    bool oddSeen = odd.isEmpty();
    for (QWidget *w : widgets) {
        const QByteArray what = w->objectName().toLatin1();
        const bool isOdd = w->objectName() == odd;
        oddSeen = oddSeen || isOdd;
        QVERIFY2(w->testAttribute(Qt::WA_SetFont), what.constData());
        QVERIFY2(w->font().pointSize() == (isOdd ? oddPoints : points), what.constData());
        QVERIFY2(w->font().family() == QApplication::font(w).family(), what.constData());
    }
    QVERIFY(oddSeen);
}

void TestForms::spacers_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("hint");
    QTest::addColumn<int>("horizontal"); // QSizePolicy::Policy
    QTest::addColumn<int>("vertical");

    QTest::newRow("verticalSpacer") << MW << "verticalSpacer" << QSize(20, 40) << int(QSizePolicy::Minimum)
                                    << int(QSizePolicy::Expanding);
    QTest::newRow("horizontalSpacer") << LG << "horizontalSpacer" << QSize(40, 20) << int(QSizePolicy::Expanding)
                                      << int(QSizePolicy::Minimum);
}

void TestForms::spacers()
{
    QFETCH(QString, form);
    QFETCH(QString, name);
    QFETCH(QSize, hint);
    QFETCH(int, horizontal);
    QFETCH(int, vertical);

    QSpacerItem *spacer = m_forms.value(form).spacers.value(name);
    QVERIFY(spacer);
    QCOMPARE(spacer->sizeHint(), hint);
    QCOMPARE(int(spacer->sizePolicy().horizontalPolicy()), horizontal);
    QCOMPARE(int(spacer->sizePolicy().verticalPolicy()), vertical);
}

void TestForms::mainWindowFrame()
{
    QCOMPARE(m_mainWin.centralWidget(), m_main.centralWidget);
    QCOMPARE(m_mainWin.menuWidget(), static_cast<QWidget *>(m_main.menuBar));
    QCOMPARE(m_mainWin.statusBar(), m_main.statusBar);
    QCOMPARE(m_main.menuBar->geometry(), QRect(0, 0, 981, 21));
    QVERIFY(m_main.menuBar->actions().isEmpty());
    QVERIFY(m_main.mainToolBar->actions().isEmpty());
    QVERIFY(m_main.statusBar->currentMessage().isEmpty());

    QCOMPARE(m_main.gridLayout_9->contentsMargins(), QMargins(11, 11, 11, 11));
    for (QGridLayout *g : {m_main.gridLayout_9, m_main.gridLayout, m_main.gridLayout_2, m_main.gridLayout_3,
                           m_main.gridLayout_5, m_main.gridLayout_6, m_main.gridLayout_4}) {
        QVERIFY2(g->horizontalSpacing() == 6 && g->verticalSpacing() == 6, qPrintable(g->objectName()));
        QCOMPARE(g->sizeConstraint(), QLayout::SetDefaultConstraint);
    }

    // Read-only state, alignment, colours and the default address come from the
    // window's constructor, not from the form.
    for (QWidget *w : m_main.centralWidget->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        const QByteArray what = w->objectName().toLatin1();
        QVERIFY2(w->styleSheet().isEmpty(), what.constData());
        QVERIFY2(w->minimumSize() == QSize(0, 0), what.constData());
        QVERIFY2(w->maximumSize() == QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX), what.constData());
        if (auto *box = qobject_cast<QCheckBox *>(w))
            QVERIFY2(!box->isChecked(), what.constData());
        if (auto *line = qobject_cast<QLineEdit *>(w))
            QVERIFY2(line->text().isEmpty(), what.constData());
    }
}

void TestForms::archivePages()
{
    QTabWidget *tabs = m_archive.tabWidget;
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->widget(0), m_archive.tab);
    QCOMPARE(tabs->widget(1), m_archive.tab_2);
    QCOMPARE(tabs->widget(2), m_archive.tab_3);

    QCOMPARE(m_archive.tableWidget->baseSize(), QSize(50, 0));
    QCOMPARE(m_archive.tableWidget_2->baseSize(), QSize(0, 0));
    QCOMPARE(m_archive.tableWidget_3->baseSize(), QSize(0, 0));
}

void TestForms::editorsUnrestricted()
{
    QVERIFY(!m_log.textEdit->isReadOnly());
    QCOMPARE(m_log.textEdit->document()->maximumBlockCount(), 0);

    for (QLineEdit *line : {m_settings.time_yes, m_settings.time_no, m_settings.time_arc_y, m_settings.time_arc_n}) {
        QVERIFY2(!line->validator(), qPrintable(line->objectName()));
        QVERIFY2(line->inputMask().isEmpty(), qPrintable(line->objectName()));
    }
}

// The range, wait and buttons as the scan window opens for the first time.
void TestForms::scanInputs()
{
    struct Box
    {
        QSpinBox *box;
        int minimum, maximum, value;
    };
    for (const Box &b : {Box{m_scan.scan_from_box, 1, 247, 1}, Box{m_scan.scan_to_box, 1, 247, 247},
                         Box{m_scan.scan_wait_box, 10, 10000, 100}, Box{m_scan.sync_threshold_box, 0, 86400, 10}}) {
        const QByteArray what = b.box->objectName().toLatin1();
        QVERIFY2(b.box->minimum() == b.minimum, what.constData());
        QVERIFY2(b.box->maximum() == b.maximum, what.constData());
        QVERIFY2(b.box->value() == b.value, what.constData());
    }
    QVERIFY(m_scan.scan_start_btn->isEnabled());
    QVERIFY(!m_scan.scan_stop_btn->isEnabled());
    QVERIFY(!m_scan.scan_choose_btn->isEnabled());
    QVERIFY(m_scan.scan_status->text().isEmpty());
    QCOMPARE(m_scan.scan_progress->value(), 0);
}

// The table's columns are its model's (model/scan_table).
void TestForms::scanTable()
{
    QTableView *table = m_scan.scan_table;
    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(table->selectionMode(), QAbstractItemView::SingleSelection);
}

// The pass over the line: nothing to set a clock on before a meter is read.
// The table's columns are its model's (model/riser_table).
void TestForms::riserTable()
{
    QTableView *table = m_scan.riser_table;
    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(m_scan.read_all_btn->isEnabled());
    QVERIFY(!m_scan.sync_all_btn->isEnabled());
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
