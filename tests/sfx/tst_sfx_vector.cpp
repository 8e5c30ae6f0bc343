#include <QTest>

#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "sfx/SfxVector.h"

using vand::audio::sfx::SfxVector;

namespace {

// A vector of ids "a0".."a<n-1>" with paths "/p/a0".. .
SfxVector filled(std::size_t count)
{
    SfxVector v;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string id = "a" + std::to_string(i);
        v.Add(id);
        v.SetPath(i, "/p/" + id);
    }
    return v;
}

QStringList entries(const SfxVector& v)
{
    QStringList out;
    for (std::size_t i = 0; i < v.Count(); ++i) {
        const char* path = v.GetPath(i);
        out << QString("%1=%2").arg(v.Get(i), path ? path : "(null)");
    }
    return out;
}

template <typename Call>
QString thrown(Call call)
{
    try {
        call();
    } catch (const std::out_of_range& e) {
        return QString("out_of_range: ") + e.what();
    } catch (const std::invalid_argument& e) {
        return QString("invalid_argument: ") + e.what();
    }
    return "nothing";
}

} // namespace

class TestSfxVector : public QObject
{
    Q_OBJECT

private slots:
    void growsByDoubling();
    void growsFromNoSlots_data();
    void growsFromNoSlots();
    void removeKeepsPairs();
    void findAndRemoveById();
    void rangeErrors_data();
    void rangeErrors();
    void resizeNeverDropsEntries();
    void shrinkToFit();
    void equalityIgnoresPaths();
    void copiesAreDeep();
    void moveLeavesSourceEmpty();
    void iteratesIds();
    void concurrentAddsKeepEveryEntry();
};

void TestSfxVector::growsByDoubling()
{
    SfxVector v = filled(5);
    QCOMPARE(v.Capacity(), 5u);
    v.Add("a5");
    QCOMPARE(v.Capacity(), 10u);
    QCOMPARE(v.Count(), 6u);
    QCOMPARE(entries(v).mid(0, 5), entries(filled(5)));
    QVERIFY(v.GetPath(5) == nullptr);
}

void TestSfxVector::growsFromNoSlots_data()
{
    QTest::addColumn<bool>("movedFrom");
    QTest::newRow("resized to 0") << false;
    QTest::newRow("moved from") << true;
}

// Without a slot, doubling gives none; the vector grows to one slot instead
// of writing past its arrays.
void TestSfxVector::growsFromNoSlots()
{
    QFETCH(bool, movedFrom);
    SfxVector v;
    if (movedFrom) {
        SfxVector taker(std::move(v));
        QCOMPARE(taker.Capacity(), 5u);
    } else {
        v.Resize(0);
    }
    QCOMPARE(v.Capacity(), 0u);
    QCOMPARE(v.Count(), 0u);
    QVERIFY(v.begin() == v.end());

    v.Add("first");
    v.SetPath(0, "/first");
    QCOMPARE(v.Capacity(), 1u);
    v.Add("second");
    v.Add("third");
    QCOMPARE(v.Capacity(), 4u);
    QCOMPARE(entries(v), QStringList({"first=/first", "second=(null)", "third=(null)"}));
}

void TestSfxVector::removeKeepsPairs()
{
    SfxVector v = filled(3);
    v.Remove(std::size_t{1});
    QCOMPARE(v.Count(), 2u);
    QCOMPARE(entries(v), QStringList({"a0=/p/a0", "a2=/p/a2"}));
    v.Add("a3");
    QVERIFY(v.GetPath(2) == nullptr);
}

void TestSfxVector::findAndRemoveById()
{
    SfxVector v = filled(3);
    QCOMPARE(v.Find("a2"), 2u);
    QCOMPARE(v.Find("zz"), SfxVector::npos);
    QCOMPARE(v.Find("zz"), static_cast<std::size_t>(-1));
    v.Remove("a0");
    QCOMPARE(entries(v), QStringList({"a1=/p/a1", "a2=/p/a2"}));
    QCOMPARE(thrown([&] { v.Remove("zz"); }), QString("invalid_argument: Sfx not found"));
    QCOMPARE(v.Count(), 2u);
}

void TestSfxVector::rangeErrors_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Get") << 0 << "out_of_range: Index out of range from SfxVector::Get(const size_t) const";
    QTest::newRow("GetPath")
        << 1 << "out_of_range: Index out of range from SfxVector::GetPath(3) const with an sfxCount_ of 2";
    QTest::newRow("SetPath") << 2 << "out_of_range: Index out of range from SfxVector::SetPath(const size_t, char*)";
    QTest::newRow("Remove") << 3 << "out_of_range: Index out of range from SfxVector::Remove(const size_t)";
    QTest::newRow("Resize max") << 4 << "invalid_argument: Size is too large";
    QTest::newRow("Resize of a negative count") << 5 << "invalid_argument: Size is too large";
}

void TestSfxVector::rangeErrors()
{
    QFETCH(int, operation);
    QFETCH(QString, expected);
    SfxVector v = filled(2);
    const QStringList before = entries(v);
    const QString got = thrown([&] {
        switch (operation) {
        case 0:
            (void)v.Get(3);
            break;
        case 1:
            (void)v.GetPath(3);
            break;
        case 2:
            v.SetPath(3, "/x");
            break;
        case 3:
            v.Remove(std::size_t{3});
            break;
        case 4:
            v.Resize(static_cast<std::size_t>(-1));
            break;
        case 5:
            v.Resize(static_cast<std::size_t>(static_cast<std::int64_t>(-5)));
            break;
        }
    });
    QCOMPARE(got, expected);
    QCOMPARE(entries(v), before);
    QCOMPARE(v.Capacity(), 5u);
}

void TestSfxVector::resizeNeverDropsEntries()
{
    SfxVector v = filled(4);
    v.Resize(2);
    QCOMPARE(v.Capacity(), 4u);
    QCOMPARE(entries(v), entries(filled(4)));
    v.Resize(20);
    QCOMPARE(v.Capacity(), 20u);
    QCOMPARE(entries(v), entries(filled(4)));
}

void TestSfxVector::shrinkToFit()
{
    SfxVector v = filled(2);
    v.Resize(10);
    v.ShrinkToFit();
    QCOMPARE(v.Capacity(), 2u);
    QCOMPARE(entries(v), QStringList({"a0=/p/a0", "a1=/p/a1"}));
    v.Add("a2");
    QCOMPARE(v.Capacity(), 4u);
}

void TestSfxVector::equalityIgnoresPaths()
{
    SfxVector a = filled(3);
    SfxVector b = filled(3);
    b.SetPath(1, "/elsewhere");
    QVERIFY(a == b);
    b.Remove(std::size_t{2});
    QVERIFY(!(a == b));
    b.Add("other");
    QVERIFY(!(a == b));
    QVERIFY(a == a);
}

void TestSfxVector::copiesAreDeep()
{
    SfxVector original = filled(2);
    SfxVector copy(original);
    SfxVector assigned;
    assigned.Add("old");
    assigned = original;
    original.SetPath(0, "/changed");
    original.Clear();
    QCOMPARE(original.Count(), 0u);
    QCOMPARE(entries(copy), entries(filled(2)));
    QCOMPARE(entries(assigned), entries(filled(2)));
    QCOMPARE(copy.Capacity(), 5u);
}

void TestSfxVector::moveLeavesSourceEmpty()
{
    SfxVector source = filled(2);
    SfxVector target;
    target.Add("old");
    target = std::move(source);
    QCOMPARE(entries(target), entries(filled(2)));
    QCOMPARE(source.Count(), 0u);
    QCOMPARE(source.Capacity(), 0u);
    QVERIFY(source.begin() == source.end());
}

void TestSfxVector::iteratesIds()
{
    const SfxVector v = filled(3);
    QStringList ids;
    for (const char* id : v)
        ids << id;
    QCOMPARE(ids, QStringList({"a0", "a1", "a2"}));
    QCOMPARE(v.cend() - v.cbegin(), 3);
    QCOMPARE(QString(v[1]), QString("a1"));
}

// Growth happens under the lock: adds from several threads lose no entry.
void TestSfxVector::concurrentAddsKeepEveryEntry()
{
    SfxVector v;
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&v, t] {
            for (int i = 0; i < kEach; ++i)
                v.Add("t" + std::to_string(t) + "-" + std::to_string(i));
        });
    }
    for (auto& thread : threads)
        thread.join();
    QCOMPARE(v.Count(), static_cast<std::size_t>(kThreads * kEach));
    for (int t = 0; t < kThreads; ++t)
        QVERIFY(v.Find("t" + std::to_string(t) + "-" + std::to_string(kEach - 1)) != SfxVector::npos);
}

QTEST_APPLESS_MAIN(TestSfxVector)
#include "tst_sfx_vector.moc"
