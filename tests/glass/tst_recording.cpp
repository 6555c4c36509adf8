// What glass --gif keeps of the glass over time, in process, on the model of
// the controllers: each picture the firmware rests on, from the start of the
// burst of writes that drew it; what it showed within a burst passed over; a
// burst that changes nothing running on; nothing after the end.
#include "glass/recording.h"

#include "drive.h"

#include <QtTest>

#include <vector>

using namespace quillon;
using namespace quillon::glass;
using test::Ms;
using test::Picture;

namespace {

constexpr Tick Shortest = 10 * Ms;

// Pictures by number, and how long each showed: -1 is the glass half drawn.
using Shown = std::vector<std::pair<int, int>>;

// A burst: from `startMs`, `picture` drawn 1,000 clock periods a write, with
// a pause of `pauseMs` between its halves; each write goes to the recording.
struct Burst {
    int startMs;
    int picture;
    int pauseMs = 0;
};

void Draw(Display& display, Recording& recording, const Burst& burst)
{
    test::Drive drive;
    drive.picture = burst.picture;
    drive.start = burst.startMs * Ms;
    drive.reset = false;
    drive.pauseAfterFirst = burst.pauseMs * Ms;
    drive.onWrite = [&](Tick tick, const Display& now) { recording.Take(tick, now); };
    drive.Run(display);
}

}  // namespace

class RecordingTest : public QObject {
    Q_OBJECT

private slots:
    void pictures_data()
    {
        QTest::addColumn<std::vector<Burst>>("bursts");
        QTest::addColumn<int>("endMs");
        QTest::addColumn<Shown>("states");
        QTest::newRow("frames on a timer")
            << std::vector<Burst>{{0, 1}, {100, 2}, {300, 1}} << 500 << Shown{{1, 100}, {2, 200}, {1, 200}};
        QTest::newRow("a short pause passed over")
            << std::vector<Burst>{{0, 1}, {100, 2, 5}} << 400 << Shown{{1, 100}, {2, 300}};
        QTest::newRow("a long pause seen")
            << std::vector<Burst>{{0, 1}, {100, 2, 30}} << 400 << Shown{{1, 100}, {-1, 51}, {2, 249}};
        QTest::newRow("a burst that changes nothing")
            << std::vector<Burst>{{0, 1}, {100, 1}, {200, 2}} << 300 << Shown{{1, 200}, {2, 100}};
        QTest::newRow("cut at the end") << std::vector<Burst>{{0, 1}, {100, 2}, {250, 1}} << 200
                                        << Shown{{1, 100}, {2, 100}};
        QTest::newRow("drawn at the end, not rested on")
            << std::vector<Burst>{{0, 1}, {100, 2}} << 105 << Shown{{1, 105}};
    }
    void pictures()
    {
        QFETCH(std::vector<Burst>, bursts);
        QFETCH(int, endMs);
        QFETCH(Shown, states);
        Display display(TimingAt(12, 0, 0));
        Recording recording(Shortest, endMs * Ms);
        for (const Burst& burst : bursts)
            Draw(display, recording, burst);
        const std::vector<ShownState> kept = recording.Finish(1'000 * Ms);
        QCOMPARE(kept.size(), states.size());
        for (std::size_t k = 0; k < kept.size(); ++k) {
            const auto [picture, ms] = states[k];
            if (picture >= 0)
                QVERIFY2(kept[k].image == Picture(picture), qPrintable(QString("state %1").arg(k)));
            else
                QVERIFY(kept[k].image != Picture(1) && kept[k].image != Picture(2));
            QCOMPARE(qRound(double(kept[k].ticks) / Ms), ms);
        }
    }
};

QTEST_GUILESS_MAIN(RecordingTest)
#include "tst_recording.moc"
