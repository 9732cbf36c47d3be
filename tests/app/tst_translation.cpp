#include "config/interface_language.h"
#include "windows/main_window/mainwindow.h"

#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

// Source text -> translation of every message of a .ts file, "" when unfinished.
QMap<QString, QString> read_ts(const QString &path)
{
    QMap<QString, QString> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const bool unfinished = xml.attributes().value("type") == QLatin1String("unfinished");
            const QString text = xml.readElementText();
            messages.insert(context + " | " + source, unfinished ? QString() : text);
        }
    }
    return messages;
}

} // namespace

class tst_translation : public QObject
{
    Q_OBJECT
private slots:
    void chosen_by_the_first_interface_language_data();
    void chosen_by_the_first_interface_language();
    void every_text_is_translated();
    void every_text_of_the_code_is_in_the_translation();
    void english_main_window();
};

void tst_translation::chosen_by_the_first_interface_language_data()
{
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<bool>("english");
    QTest::newRow("en-US") << QStringList{"en-US", "en"} << true;
    QTest::newRow("en-GB before Russian") << QStringList{"en-GB", "ru-RU"} << true;
    QTest::newRow("ru-RU") << QStringList{"ru-RU", "ru"} << false;
    QTest::newRow("German, English second") << QStringList{"de-DE", "en-US"} << false;
    QTest::newRow("C locale") << QStringList{"C"} << false;
    QTest::newRow("none") << QStringList{} << false;
}

void tst_translation::chosen_by_the_first_interface_language()
{
    QFETCH(QStringList, languages);
    QFETCH(bool, english);
    QCOMPARE(wants_english(languages), english);
}

void tst_translation::every_text_is_translated()
{
    const QMap<QString, QString> messages = read_ts(QStringLiteral(TS_FILE));
    QVERIFY(messages.size() > 100);
    for (auto it = messages.cbegin(); it != messages.cend(); ++it)
        QVERIFY2(!it.value().isEmpty(), qPrintable("no English for " + it.key()));
}

void tst_translation::every_text_of_the_code_is_in_the_translation()
{
    // lupdate collects what the code and the forms hand to the translation
    // functions now; each of those texts must be in the committed file.
    QTemporaryDir dir;
    const QString fresh = dir.filePath("fresh.ts");
    QStringList args;
    for (const char *folder :
         {"windows", "collect", "config", "model", "link", "meter", "archive", "scan", "journal", "forms"}) {
        // lupdate refuses the whole run over a folder that is not there (yet).
        if (QFileInfo::exists(QStringLiteral(SOURCE_DIR "/") + folder))
            args << QStringLiteral(SOURCE_DIR "/") + folder;
    }
    args << "-locations"
         << "none"
         << "-silent"
         << "-ts" << fresh;
    QProcess lupdate;
    lupdate.start("lupdate", args);
    if (!lupdate.waitForStarted())
        QSKIP("lupdate is not installed");
    QVERIFY(lupdate.waitForFinished(120000));
    const QMap<QString, QString> committed = read_ts(QStringLiteral(TS_FILE));
    const QMap<QString, QString> current = read_ts(fresh);
    QVERIFY(!current.isEmpty());
    for (const QString &key : current.keys())
        QVERIFY2(committed.contains(key), qPrintable("not in the translation file: " + key));
}

void tst_translation::english_main_window()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QVERIFY(install_english(qApp));
    {
        MainWindow w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Water meter configurator, RS485, Modbus protocol versions 2 and 3"));
        QCOMPARE(w.findChild<QPushButton *>("param_btn")->text(),
                 QStringLiteral("Read parameters and readings from the meter"));
        QCOMPARE(w.findChild<QLabel *>("label_31")->text(), QStringLiteral("Models not read"));
        w.findChild<QPushButton *>("param_btn")->click();
        QVERIFY(QTest::qWaitFor([&] { return w.findChild<QLabel *>("label_31")->text() == "Port not open"; }));
    }
    for (QTranslator *translator : qApp->findChildren<QTranslator *>())
        qApp->removeTranslator(translator);
    QDir::setCurrent(previous);
}

QTEST_MAIN(tst_translation)
#include "tst_translation.moc"
