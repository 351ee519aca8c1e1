#include <velmora/utility/CoreConfiguration.h>

#include <QFileInfo>
#include <QtTest>

#include <cstdlib>

using velmora::utility::CoreConfiguration;

class TestCoreConfiguration : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void defaultsFindTheProjectAssets();
    void overridesGainATrailingSeparator();
    void dataDirectoryFromTheEnvironment();
};

void TestCoreConfiguration::cleanup()
{
    CoreConfiguration::setImagePath("");
    CoreConfiguration::setIconPath("");
    unsetenv("VELMORA_DATA_DIR");
}

void TestCoreConfiguration::defaultsFindTheProjectAssets()
{
    // Plugins append file names directly, so both paths must end with '/'.
    QVERIFY(QString::fromStdString(CoreConfiguration::getImagePath()).endsWith('/'));
    QVERIFY(QString::fromStdString(CoreConfiguration::getIconPath()).endsWith('/'));
    QVERIFY(QFileInfo::exists(QString::fromStdString(CoreConfiguration::getImagePath() + "compass.png")));
    QVERIFY(QFileInfo::exists(QString::fromStdString(CoreConfiguration::getIconPath() + "flag_blue.png")));
}

void TestCoreConfiguration::overridesGainATrailingSeparator()
{
    CoreConfiguration::setImagePath("/tmp/images");
    QCOMPARE(CoreConfiguration::getImagePath(), std::string("/tmp/images/"));
    CoreConfiguration::setIconPath("/tmp/icons/");
    QCOMPARE(CoreConfiguration::getIconPath(), std::string("/tmp/icons/"));
}

void TestCoreConfiguration::dataDirectoryFromTheEnvironment()
{
    setenv("VELMORA_DATA_DIR", "/opt/velmora/share", 1);
    QCOMPARE(CoreConfiguration::getImagePath(), std::string("/opt/velmora/share/images/"));
    QCOMPARE(CoreConfiguration::getIconPath(), std::string("/opt/velmora/share/icons/"));
}

QTEST_GUILESS_MAIN(TestCoreConfiguration)
#include "tst_coreconfiguration.moc"
