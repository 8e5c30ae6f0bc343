#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <numeric>
#include <set>

#include "LegacyClient.h"
#include "SfxShow.h"
#include "SinkMonitor.h"
#include "sfx/SfxManager.h"
#include "sfx/SfxPlayerControllerImpl.h"

using vand::audio::SfxManager;
using vand::audio::SfxPlayerControllerImpl;

namespace {

constexpr int kWindows = 55; // of 100 ms

// Waits for a client's step while this thread serves the controller.
template <class T>
bool Served(std::future<T>& result)
{
    return QTest::qWaitFor([&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                           20000);
}

double MeanOf(const std::vector<double>& levels, std::size_t from, std::size_t to)
{
    return std::accumulate(levels.begin() + long(from), levels.begin() + long(to), 0.0) / double(to - from);
}

} // namespace

// The legacy manager on a client thread plays the catalogue's rain through
// the controller on this thread; its fade-in is measured on the null sink's
// monitor, 100 ms at a time, recorded from a third thread so that this one
// keeps serving the fade's steps.
class TestSfxLegacyFade : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fadeInRisesOverItsLength();

private:
    QTemporaryDir dir_;
    std::unique_ptr<vand::test::SfxShow> show_;
};

void TestSfxLegacyFade::initTestCase()
{
    VAND_REQUIRE_SOUND_SERVER();
    vand::test::InstallDemoCatalogue(dir_);
    show_ = std::make_unique<vand::test::SfxShow>();
    show_->Controller();
}

// A 4 s fade-in starts near silence and takes its time to reach its full
// level; a fade that started at the player's own volume would be at full
// level at once. The recording starts a little after the fade (once the
// sound's stream exists).
void TestSfxLegacyFade::fadeInRisesOverItsLength()
{
    SfxPlayerControllerImpl* controller = show_->Controller();
    QSignalSpy ready(controller, &SfxPlayerControllerImpl::sfxIsReady);
    // A failed step still lets the client end (its destructor).
    vand::test::LegacyClient client("sfx.legacy", [](SfxManager& manager, int id) { manager.Play(id, 4000); });
    const auto finish = qScopeGuard([&] {
        client.Play();
        client.Stop();
        Served(client.stopped);
    });

    QVERIFY(Served(client.made));
    QCOMPARE(client.made.get(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!ready.isEmpty(), 10000); // the rain is loaded: the fade is not spent waiting
    const std::set<int> before = vand::test::OurSinkInputs();
    client.Play();
    QVERIFY(Served(client.played));
    const int input = vand::test::NewSinkInput(before);
    QVERIFY(input >= 0);
    auto heard = std::async(std::launch::async, [input] { return vand::test::ListenInWindows(input, kWindows, 4410); });
    QVERIFY(Served(heard));
    std::vector<double> levels;
    for (const vand::test::Loudness& l : heard.get())
        levels.push_back((l.first + l.second) / 2.0);
    QCOMPARE(levels.size(), std::size_t(kWindows));
    QStringList trace;
    for (double level : levels)
        trace << QString::number(level, 'f', 4);
    qInfo("level per 100 ms: %s", qPrintable(trace.join(' ')));

    const double early = MeanOf(levels, 0, 3);
    const double full = MeanOf(levels, kWindows - 5, kWindows);
    const auto nearlyFull = std::find_if(levels.begin(), levels.end(), [full](double l) { return l >= 0.9 * full; });
    QVERIFY2(full > 0.01, qPrintable(trace.join(' ')));
    QVERIFY2(early < 0.5 * full, qPrintable(trace.join(' ')));
    QVERIFY2(nearlyFull - levels.begin() >= 10, qPrintable(trace.join(' '))); // a second at least
}

QTEST_GUILESS_MAIN(TestSfxLegacyFade)
#include "tst_sfx_legacy_fade.moc"
