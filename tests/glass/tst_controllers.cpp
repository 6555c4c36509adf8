// The model of the two controllers, in process: what the glass shows and what
// glass says the driver got wrong, for a driver that is right and for each
// way one goes wrong (the same faults check_glass.sh proves through s51 with
// broken copies of the example drivers).
#include "glass/glass.h"

#include "drive.h"

#include <QtTest>

#include <functional>

using namespace quillon;
using namespace quillon::glass;
using test::Drive;

namespace {

// What a controller's RAM holds before it is written.
constexpr std::uint8_t PowerOnByte = 0xA5;

// What the glass should show, from the picture drawn.
enum class Glass {
    AsDrawn,
    HalvesSwapped,
    Dark,
    RightHalfDark,
    EveryDotLit,
    LowerHalfDark,
    LeftPage2Unwritten,
    Otherwise
};

DisplayImage Expected(Glass glass, const DisplayImage& picture)
{
    DisplayImage image;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 122; ++x) {
            bool lit = picture.Dot(x, y);
            if (glass == Glass::HalvesSwapped)
                lit = picture.Dot(x < 61 ? x + 61 : x - 61, y);
            else if (glass == Glass::Dark)
                lit = false;
            else if (glass == Glass::RightHalfDark)
                lit = lit && x < 61;
            else if (glass == Glass::EveryDotLit)
                lit = true;
            else if (glass == Glass::LowerHalfDark)
                lit = lit && y < 16;
            else if (glass == Glass::LeftPage2Unwritten && x < 61 && y / 8 == 2)
                lit = (PowerOnByte >> (y % 8)) & 1;
            image.SetDot(x, y, lit);
        }
    }
    return image;
}

// Finding lines as wildcard patterns ("*" for a count that depends on timing).
bool Matches(const std::vector<std::string>& lines, const QStringList& patterns)
{
    if (lines.size() != static_cast<std::size_t>(patterns.size()))
        return false;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const QRegularExpression pattern(
            QRegularExpression::wildcardToRegularExpression(patterns[static_cast<qsizetype>(k)]));
        if (!pattern.match(QString::fromStdString(lines[k])).hasMatch())
            return false;
    }
    return true;
}

const QString One = "controller 1 (columns 0-60)";
const QString Two = "controller 2 (columns 61-121)";

}  // namespace

using Fault = std::function<void(Drive&)>;

class ControllersTest : public QObject {
    Q_OBJECT

private slots:
    void drivers_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QStringList>("findings");
        QTest::addColumn<Glass>("glass");
        const auto both = [](const QString& line) { return QStringList{One + line, Two + line}; };
        QTest::newRow("right") << Fault([](Drive&) {}) << QStringList() << Glass::AsDrawn;
        QTest::newRow("controllers swapped")
            << Fault([](Drive& d) { d.swapped = true; }) << QStringList() << Glass::HalvesSwapped;
        QTest::newRow("display left off") << Fault([](Drive& d) {
            d.setup = {0xA4, 0xA0, 0xA9, 0xC0};
        }) << both(" is left with its display off (0xAF turns it on)")
                                          << Glass::Dark;
        QTest::newRow("static drive left on") << Fault([](Drive& d) {
            d.setup = {0xA0, 0xA9, 0xC0, 0xAF};
        }) << both(" is left in static drive, every dot lit (0xA4 ends it)")
                                              << Glass::EveryDotLit;
        QTest::newRow("duty 1/16") << Fault([](Drive& d) {
            d.setup = {0xA4, 0xA0, 0xA8, 0xC0, 0xAF};
        }) << both(" drives 16 of the 32 rows, duty 1/16 (0xA9 sets 1/32)")
                                   << Glass::LowerHalfDark;
        QTest::newRow("start line 8") << Fault([](Drive& d) {
            d.setup = {0xA4, 0xA0, 0xA9, 0xC8, 0xAF};
        }) << both(" starts the glass at RAM line 8, not 0 (0xC0 sets line 0)")
                                      << Glass::Otherwise;
        QTest::newRow("ADC reversed")
            << Fault([](Drive& d) {
                   d.setup = {0xA4, 0xA1, 0xA9, 0xC0, 0xAF};
               })
            << QStringList{One + " shows its columns in reverse, ADC 0xA1 (0xA0 is the normal order)",
                           One + ": 76 bytes of what it shows were never written, pages 0-3 columns 61-79",
                           Two + " shows its columns in reverse, ADC 0xA1 (0xA0 is the normal order)",
                           Two + ": 76 bytes of what it shows were never written, pages 0-3 columns 61-79"}
            << Glass::Otherwise;
        QTest::newRow("a page skipped") << Fault([](Drive& d) {
            d.skippedPage = 2;
        }) << QStringList{One + ": 61 bytes of what it shows were never written, page 2 columns 0-60"}
                                        << Glass::LeftPage2Unwritten;
        QTest::newRow("column off by one")
            << Fault([](Drive& d) { d.firstColumn = 1; })
            << both(": 4 bytes of what it shows were never written, pages 0-3 column 0") << Glass::Otherwise;
        // At 2 machine cycles a write, two of every three are lost from the
        // first after the reset on: 0xA0, 0xA9 and 0xAF of the set-up among them.
        QTest::newRow("busy flag ignored")
            << Fault([](Drive& d) { d.step = 2 * TicksPerCycle; })
            << QStringList{One + " is left with its display off (0xAF turns it on)",
                           One + " shows its columns in reverse, ADC 0xA1 (0xA0 is the normal order)",
                           One + " drives 16 of the 32 rows, duty 1/16 (0xA9 sets 1/32)",
                           One +
                               ": 171 writes came while it was busy and were lost, the first (command 0xA0) 2 "
                               "machine cycles after the write before; it is busy 5 µs after each write, 5 machine "
                               "cycles at 12 MHz",
                           Two + " is left with its display off (0xAF turns it on)",
                           Two + " shows its columns in reverse, ADC 0xA1 (0xA0 is the normal order)",
                           Two + " drives 16 of the 32 rows, duty 1/16 (0xA9 sets 1/32)",
                           Two +
                               ": 171 writes came while it was busy and were lost, the first (command 0xA0) 2 "
                               "machine cycles after the write before; it is busy 5 µs after each write, 5 machine "
                               "cycles at 12 MHz"}
            << Glass::Dark;
        QTest::newRow("reset not waited for")
            << Fault([](Drive& d) { d.resetWait = d.step; })
            << QStringList{One + " is left with its display off (0xAF turns it on)",
                           One + " is left in static drive, every dot lit (0xA4 ends it)",
                           One + " shows its columns in reverse, ADC 0xA1 (0xA0 is the normal order)",
                           One + " drives 16 of the 32 rows, duty 1/16 (0xA9 sets 1/32)",
                           One +
                               ": 23 writes came while it was still resetting and were lost, the first (command "
                               "0xA4) 83.3 machine cycles after 0xE2; a reset takes 2 ms, 2000 machine cycles",
                           Two + " is left with its display off (0xAF turns it on)",
                           Two + " is left in static drive, every dot lit (0xA4 ends it)",
                           Two + " shows its columns in reverse, ADC 0xA1 (0xA0 is the normal order)",
                           Two + " drives 16 of the 32 rows, duty 1/16 (0xA9 sets 1/32)",
                           Two +
                               ": 23 writes came while it was still resetting and were lost, the first (command "
                               "0xA4) 83.3 machine cycles after 0xE2; a reset takes 2 ms, 2000 machine cycles"}
            << Glass::Otherwise;
        QTest::newRow("data past column 79")
            << Fault([](Drive& d) { d.columns = 81; })
            << both(": 4 data bytes came past column 79 and were lost, the first (0x*) at machine cycle *")
            << Glass::AsDrawn;
        QTest::newRow("column 80 and page 4 set, an unknown command")
            << Fault([](Drive& d) {
                   d.after = {0x50, 0xBC, 0xBC, 0xFF};
               })
            << QStringList{One + ": column 80 was set (command 0x50); its columns are 0-79",
                           One + ": page 4 was set (command 0xBC) (2 times); its pages are 0-3",
                           One + ": command 0xFF is none it knows"}
            << Glass::AsDrawn;
        QTest::newRow("one controller driven") << Fault([](Drive& d) { d.controllers = 1; })
                                               << QStringList{Two + " was never written"} << Glass::RightHalfDark;
    }
    void drivers()
    {
        QFETCH(Fault, fault);
        QFETCH(QStringList, findings);
        QFETCH(Glass, glass);
        const Timing timing = TimingAt(12, DefaultBusyUs, DefaultResetUs);
        Display display(timing);
        Drive drive;
        fault(drive);
        drive.Run(display);

        const std::vector<std::string> found = Findings(display, timing, {true, drive.controllers > 1});
        QString said;
        for (const std::string& line : found)
            said += QString::fromStdString(line) + '\n';
        QVERIFY2(Matches(found, findings), qPrintable("glass said:\n" + said));
        const DisplayImage picture = test::Picture(drive.picture);
        if (glass == Glass::Otherwise)
            QVERIFY(display.Shown() != picture);
        else
            QVERIFY(display.Shown() == Expected(glass, picture));
    }
};

QTEST_GUILESS_MAIN(ControllersTest)
#include "tst_controllers.moc"
