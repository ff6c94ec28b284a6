#include "store/Versions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <set>
#include <tuple>

namespace {

using namespace versions;

constexpr std::size_t kFields = 4;
constexpr int kMachines = 3;
// The sanitizers' build (no NDEBUG, instrumented) runs a fifth of them, within the same time.
#ifdef NDEBUG
constexpr int kSchedules = 100000;
#else
constexpr int kSchedules = 20000;
#endif

// One change made by a machine, with what that machine had seen when it made it.
struct Made {
    std::size_t field;
    Value value;
    Vector seen;
};

using Canonical = std::set<std::tuple<MachineId, std::uint64_t, std::string>>;

Canonical CanonicalOf(const Register& r) {
    Canonical c;
    for (const Value& v : r.values)
        c.emplace(v.stamp.machine, v.stamp.counter, v.text);
    return c;
}

// Three machines with their own copies of one document: random edits (equal values and
// emptying included), password changes, resolutions, imports and their undoing; random deliveries
// of any version ever written (renamed over or a conflict copy alike: a merge), so some are lost,
// some duplicated, some late. Then every final version reaches every machine.
struct Schedule {
    std::uint64_t rng;
    std::vector<std::shared_ptr<const State>> machines; // each machine's version, as written
    std::vector<Clock> clocks;
    std::vector<std::shared_ptr<const State>> written; // every version any machine wrote
    std::vector<Made> made;
    std::vector<State> final; // once every version is delivered
    std::string fault;        // a claim broken on the way
    std::int64_t now = 1000;

    // Each machine starts from a document without stamps: mostly the same one, sometimes one
    // an earlier program changed apart.
    explicit Schedule(std::uint32_t seed) : rng(seed) {
        for (int m = 0; m < kMachines; ++m) {
            const State start = Unstamped({"", "alt", "", Pick(4) ? "x" : "y"}, "");
            for (std::size_t f = 0; f < kFields; ++f)
                made.push_back({f, start.fields[f].values[0], {}});
            machines.push_back(std::make_shared<const State>(start));
            clocks.push_back({static_cast<MachineId>(0x100 + m), Pick(3)});
        }
    }

    // splitmix64: cheap to seed, as each schedule is
    std::size_t Pick(std::size_t n) {
        std::uint64_t z = (rng += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::size_t>((z ^ (z >> 31)) % n);
    }

    void Edit(int m) {
        State s = *machines[static_cast<std::size_t>(m)];
        Edit(m, s);
        machines[static_cast<std::size_t>(m)] = std::make_shared<const State>(std::move(s));
    }

    void Edit(int m, State& s) {
        Clock& clock = clocks[static_cast<std::size_t>(m)];
        clock.Catch(s.vector);
        now += static_cast<std::int64_t>(Pick(3)) - 1; // clocks disagree
        if (Pick(8) == 0) {
            ChangeProtection(s, Pick(2) ? "" : "salt" + std::to_string(Pick(3)), clock.Next(now));
            return;
        }
        if (Pick(10) == 0) {
            ImportOrUndo(clock, s);
            return;
        }
        const std::size_t f = Pick(kFields);
        static const char* const pool[] = {"", "a", "b", "alt"};
        std::string text = pool[Pick(4)];
        if (s.fields[f].values.size() > 1 && Pick(2)) // a resolution: one of the values kept
            text = s.fields[f].values[Pick(s.fields[f].values.size())].text;
        const Vector seen = s.vector;
        const Stamp stamp = clock.Next(now);
        if (Change(s, f, text, stamp))
            made.push_back({f, {text, stamp}, seen});
        else
            --clock.counter; // nothing changed, no counter spent
    }

    // An import of two fields, or the undo of the last one: each field it wrote is a change.
    void ImportOrUndo(Clock& clock, State& s) {
        const Vector seen = s.vector;
        const Stamp stamp = clock.Next(now);
        std::vector<std::size_t> wrote;
        if (Pick(2)) {
            wrote =
                Import(s, {{Pick(kFields), "imp"}, {Pick(kFields), Pick(2) ? "" : "i2"}}, stamp);
        } else {
            const State before = s;
            UndoImport(s, stamp);
            for (std::size_t f = 0; f < kFields; ++f) {
                if (!s.fields[f].values[0].stamp.SameChange(stamp))
                    continue;
                wrote.push_back(f);
                const std::vector<Value>& was = before.fields[f].values;
                if (was.size() != 1 || !was[0].stamp.SameChange(before.lastImport.change))
                    fault = "undo wrote over a later change of field " + std::to_string(f);
            }
        }
        for (std::size_t f : wrote)
            made.push_back({f, s.fields[f].values[0], seen});
        const auto seenHere = s.vector.find(clock.machine);
        if (seenHere == s.vector.end() || seenHere->second < stamp.counter)
            --clock.counter; // nothing stamped, no counter spent
    }

    void Run() {
        const int steps = 4 + static_cast<int>(Pick(18));
        for (int step = 0; step < steps; ++step) {
            const int m = static_cast<int>(Pick(kMachines));
            std::shared_ptr<const State>& s = machines[static_cast<std::size_t>(m)];
            if (Pick(2) == 0 || written.empty())
                Edit(m);
            else
                s = std::make_shared<const State>(Merge(*s, *written[Pick(written.size())]));
            written.push_back(s);
        }
        // Every final version to every machine: the first takes all in, the others take its.
        State all = *machines[0];
        for (std::size_t a = 1; a < machines.size(); ++a)
            all = Merge(all, *machines[a]);
        final.assign(1, all);
        for (std::size_t a = 1; a < machines.size(); ++a)
            final.push_back(Merge(*machines[a], all));
    }

    // "" when every claim holds.
    std::string Check() const {
        if (!fault.empty())
            return fault;
        for (std::size_t m = 1; m < final.size(); ++m) {
            if (final[m].vector != final[0].vector)
                return "vectors differ";
            if (CanonicalOf(final[m].protection) != CanonicalOf(final[0].protection))
                return "password marks differ";
            const LastImport &a = final[m].lastImport, &b = final[0].lastImport;
            if (!a.change.SameChange(b.change) || a.undone != b.undone || a.replaced != b.replaced)
                return "last imports differ";
            for (std::size_t f = 0; f < kFields; ++f) {
                if (CanonicalOf(final[m].fields[f]) != CanonicalOf(final[0].fields[f]))
                    return "field " + std::to_string(f) + " differs";
            }
        }
        const State& end = final[0];
        for (const Made& c : made) {
            const bool overwritten = std::any_of(made.begin(), made.end(), [&](const Made& o) {
                return o.field == c.field && Covers(o.seen, c.value.stamp);
            });
            const std::vector<Value>& values = end.fields[c.field].values;
            const bool kept = std::any_of(values.begin(), values.end(), [&](const Value& v) {
                return v.stamp.SameChange(c.value.stamp) && v.text == c.value.text;
            });
            if (!overwritten && !kept)
                return "lost change " + std::to_string(c.value.stamp.counter) + " of field " +
                       std::to_string(c.field);
            if (overwritten && kept)
                return "overwritten change kept in field " + std::to_string(c.field);
        }
        return "";
    }
};

// Whatever the order of edits and deliveries, once every version is delivered all machines
// hold the same values; a change no other change saw is the value or listed in a conflict; a
// change that saw another is never listed against it.
TEST(VersionsModelTest, ThreeMachinesConvergeAndLoseNothing) {
    const auto start = std::chrono::steady_clock::now();
    const std::uint32_t base = std::random_device{}();
    for (int i = 0; i < kSchedules; ++i) {
        const std::uint32_t seed = base + static_cast<std::uint32_t>(i);
        Schedule schedule(seed);
        schedule.Run();
        const std::string fault = schedule.Check();
        if (!fault.empty()) {
            ADD_FAILURE() << fault << " (seed " << seed << ")";
            return;
        }
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("%d schedules, seeds %u.., %lld ms\n", kSchedules, base,
                static_cast<long long>(ms.count()));
}

} // namespace
