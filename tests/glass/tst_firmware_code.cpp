// The Intel HEX reader glass loads a firmware with: what it loads where, and
// the one line it answers with for each way a file is not one.
#include "glass/glass.h"

#include <QtTest>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace quillon;
using namespace quillon::glass;

namespace {

// A record with its length and checksum: ":LLAAAATT<data>CC".
QByteArray Record(int type, int address, const std::vector<int>& data)
{
    std::vector<int> bytes{static_cast<int>(data.size()), address >> 8 & 0xFF, address & 0xFF, type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    int sum = 0;
    for (const int byte : bytes)
        sum += byte;
    bytes.push_back(-sum & 0xFF);
    QByteArray text = ":";
    for (const int byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text + "\n";
}

const QByteArray End = ":00000001FF\n";

}  // namespace

using Loaded = std::map<int, int>;  // address, byte

class FirmwareCodeTest : public QObject {
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Loaded>("loaded");
        QTest::addColumn<QString>("error");
        const QByteArray code = Record(0, 0x0010, {0x75, 0x81, 0x07});
        QTest::newRow("data, then the end") << code + End << Loaded{{0x10, 0x75}, {0x11, 0x81}, {0x12, 0x07}} << "";
        QTest::newRow("CRLF, blank lines, lower case")
            << QByteArray("\r\n:0100200002dd\r\n\r\n:00000001ff\r\n") << Loaded{{0x20, 0x02}} << "";
        QTest::newRow("segment address") << Record(2, 0, {0x01, 0x00}) + Record(0, 0x0004, {0xAB}) + End
                                         << Loaded{{0x1004, 0xAB}} << "";
        QTest::newRow("start address records ignored")
            << Record(3, 0, {0, 0, 0, 0}) + Record(5, 0, {0, 0, 0, 0}) + code + End
            << Loaded{{0x10, 0x75}, {0x11, 0x81}, {0x12, 0x07}} << "";
        QTest::newRow("empty") << QByteArray() << Loaded{} << "empty";
        QTest::newRow("no end") << code << Loaded{} << "no end record (:00000001FF)";
        QTest::newRow("after the end") << End + code << Loaded{} << "line 2: a record after the end record";
        const QString noRecord = "line 1: no record (\":\" and pairs of hexadecimal digits)";
        QTest::newRow("no colon") << "0100200002DD\n" + End << Loaded{} << noRecord;
        QTest::newRow("odd digits") << ":0100200002D\n" + End << Loaded{} << noRecord;
        QTest::newRow("not hexadecimal") << ":01002000G2DD\n" + End << Loaded{} << noRecord;
        QTest::newRow("a source file") << QByteArray("        .area CSEG (CODE)\n") << Loaded{} << noRecord;
        QTest::newRow("length") << ":0200200002DD\n" + End << Loaded{}
                                << "line 1: its length byte disagrees with its length";
        QTest::newRow("checksum") << ":0100200002DE\n" + End << Loaded{} << "line 1: wrong checksum";
        QTest::newRow("type 6") << Record(6, 0, {}) + End << Loaded{}
                                << "line 1: record type 6, which Intel HEX does not have";
        QTest::newRow("address record of one byte")
            << Record(4, 0, {0x01}) + End << Loaded{} << "line 1: an address record without two address bytes";
        const QString past = "line 2: code past 64 KiB, more than an 8051 addresses";
        QTest::newRow("past 64 KiB") << Record(0, 0xFFFF, {1, 2}) + End << Loaded{}
                                     << "line 1: code past 64 KiB, more than an 8051 addresses";
        QTest::newRow("above 64 KiB by a segment")
            << Record(2, 0, {0x10, 0x00}) + Record(0, 0, {1}) + End << Loaded{} << past;
        // The highest address a linear record can reach: it must not wrap round to 0.
        QTest::newRow("near 4 GiB") << Record(4, 0, {0xFF, 0xFF}) + Record(0, 0xFFFF, {1}) + End << Loaded{} << past;
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(Loaded, loaded);
        QFETCH(QString, error);
        const Result<Code> code = CodeOf(file.toStdString());
        if (!error.isEmpty()) {
            QVERIFY(!code);
            QCOMPARE(QString::fromStdString(code.Error()), error);
            return;
        }
        QVERIFY2(code, code ? "" : code.Error().c_str());
        QCOMPARE(code->size(), std::size_t{0x10000});
        Loaded found;
        for (std::size_t address = 0; address < code->size(); ++address) {
            if ((*code)[address] >= 0)
                found[static_cast<int>(address)] = (*code)[address];
        }
        QCOMPARE(found, loaded);
    }
};

QTEST_GUILESS_MAIN(FirmwareCodeTest)
#include "tst_firmware_code.moc"
