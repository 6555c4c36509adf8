// Naming the listing after its picture.
#include "app/path_text.h"
#include "intake/listing_name.h"

#include <QTest>

using namespace quillon;

class ListingNameTest : public QObject {
    Q_OBJECT
private slots:
    void path_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("listing");
        QTest::newRow("lower case") << "/work"
                                    << "Logo.bmp"
                                    << "/work/lcd_Logo.txt";
        QTest::newRow("upper case") << "/work"
                                    << "LOGO.BMP"
                                    << "/work/lcd_LOGO.txt";
        QTest::newRow("twice") << "/work"
                               << "a.bmp.bmp"
                               << "/work/lcd_a.txt.txt";
        QTest::newRow("inside the name") << "/work"
                                         << "old.bmp.copy.Bmp"
                                         << "/work/lcd_old.txt.copy.txt";
        QTest::newRow("mixed case") << "/work"
                                    << "A.bMp"
                                    << "/work/lcd_A.txt";
        QTest::newRow("root folder, one separator") << "/"
                                                    << "Logo.bmp"
                                                    << "/lcd_Logo.txt";
        QTest::newRow("folder ending in separator") << "/work/"
                                                    << "Logo.bmp"
                                                    << "/work/lcd_Logo.txt";
        QTest::newRow("no occurrence") << "/work"
                                       << "picture.dib"
                                       << "/work/lcd_picture.dib";
        QTest::newRow("not overlapping") << "/work"
                                         << ".bmp.bmpbmp"
                                         << "/work/lcd_.txt.txtbmp";
        QTest::newRow("dot missing") << "/work"
                                     << "bmp"
                                     << "/work/lcd_bmp";
        QTest::newRow("folder left alone") << "/pics.bmp"
                                           << "x.bmp"
                                           << "/pics.bmp/lcd_x.txt";
        QTest::newRow("spaces and letters") << "/Bilder neu"
                                            << "Grüße.BMP"
                                            << "/Bilder neu/lcd_Grüße.txt";
        QTest::newRow("empty name") << "/work"
                                    << ""
                                    << "/work/lcd_";
    }
    void path()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, listing);
        QCOMPARE(ShownPath(ListingPath(FilePath(folder), FilePath(name))), listing);
    }
};

QTEST_GUILESS_MAIN(ListingNameTest)
#include "tst_listing_name.moc"
