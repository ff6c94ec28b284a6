#include "store/Versions.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>

namespace versions {

bool Covers(const Vector& vector, const Stamp& stamp) {
    if (!stamp.Stamped())
        return false;
    const auto it = vector.find(stamp.machine);
    return it != vector.end() && it->second >= stamp.counter;
}

std::size_t Register::Texts() const {
    std::size_t texts = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool seen = false;
        for (std::size_t j = 0; j < i && !seen; ++j)
            seen = values[j].text == values[i].text;
        texts += !seen;
    }
    return texts;
}

bool State::operator==(const State& o) const {
    auto same = [](const Value& a, const Value& b) {
        return a.Same(b) && a.text == b.text && a.stamp.time == b.stamp.time;
    };
    auto sameList = [&](const std::vector<Value>& a, const std::vector<Value>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), same);
    };
    const LastImport &mine = lastImport, &theirs = o.lastImport;
    if (!mine.change.SameChange(theirs.change) || mine.change.time != theirs.change.time ||
        mine.undone != theirs.undone || mine.replaced != theirs.replaced)
        return false;
    if (fields.size() != o.fields.size() || vector != o.vector || machines != o.machines ||
        !sameList(protection.values, o.protection.values))
        return false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!sameList(fields[i].values, o.fields[i].values) || !sameList(history[i], o.history[i]))
            return false;
    }
    return true;
}

void Clock::Catch(const Vector& vector) {
    const auto it = vector.find(machine);
    if (it != vector.end())
        counter = std::max(counter, it->second);
}

namespace {

// A total order, newest first: by time, then by the change's identity, then by text.
bool Newer(const Value& a, const Value& b) {
    return std::tie(a.stamp.time, a.stamp.machine, a.stamp.counter, a.text) >
           std::tie(b.stamp.time, b.stamp.machine, b.stamp.counter, b.text);
}

bool Holds(const std::vector<Value>& values, const Value& v) {
    return std::any_of(values.begin(), values.end(), [&](const Value& h) { return h.Same(v); });
}

void Remember(std::vector<Value>& history, const Value& v) {
    if (v.text.size() > kHistoryValueLimit || Holds(history, v))
        return;
    history.insert(std::upper_bound(history.begin(), history.end(), v, Newer), v);
    if (history.size() > kHistoryLength)
        history.resize(kHistoryLength);
}

void Count(Vector& vector, const Stamp& stamp) {
    std::uint64_t& seen = vector[stamp.machine];
    seen = std::max(seen, stamp.counter);
}

// Whether one side has seen v and no longer holds it: its vector covers v's change.
bool Overwritten(const Value& v, const Register& side, const Vector& vector) {
    return !Holds(side.values, v) && Covers(vector, v.stamp);
}

struct Sides {
    const State& ours;
    const State& theirs;
};

// The field's values after the merge, with the ones that went into dropped.
Register MergeRegister(const Register& o, const Register& t, const Sides& s,
                       std::vector<Value>& dropped) {
    if (o.values.size() == 1 && t.values.size() == 1 && o.values[0].Same(t.values[0]))
        return o; // the same change on both sides
    Register r;
    for (const Value& v : o.values) {
        if (Overwritten(v, t, s.theirs.vector))
            dropped.push_back(v);
        else if (!Holds(r.values, v))
            r.values.push_back(v);
    }
    std::vector<Value> fromTheirs;
    for (const Value& v : t.values) {
        if (Holds(r.values, v))
            continue;
        if (Overwritten(v, o, s.ours.vector))
            dropped.push_back(v);
        else
            fromTheirs.push_back(v);
    }
    // Ours stays shown where kept; the rest in one order whichever side merges.
    const bool oursShown = !r.values.empty() && !o.values.empty() && r.values[0].Same(o.values[0]);
    fromTheirs.insert(fromTheirs.end(), r.values.begin() + (oursShown ? 1 : 0), r.values.end());
    r.values.resize(oursShown ? 1 : 0);
    std::sort(fromTheirs.begin(), fromTheirs.end(), Newer);
    r.values.insert(r.values.end(), fromTheirs.begin(), fromTheirs.end());
    if (r.values.empty()) // only when counters were reused: nothing is lost
        r = o;
    return r;
}

std::vector<Value> MergeHistory(const std::vector<Value>& a, const std::vector<Value>& b,
                                const std::vector<Value>& dropped, const Register& now) {
    if (dropped.empty() && (b.empty() || &a == &b))
        return a;
    std::vector<Value> history;
    history.reserve(kHistoryLength + 1);
    for (const std::vector<Value>* list : {&a, &b, &dropped}) {
        for (const Value& v : *list) {
            if (!Holds(now.values, v))
                Remember(history, v);
        }
    }
    return history;
}

LastImport MergeImports(const LastImport& a, const LastImport& b) {
    if (a.change.SameChange(b.change)) {
        LastImport merged = a;
        merged.undone = a.undone || b.undone;
        return merged;
    }
    return Newer(Value{{}, a.change}, Value{{}, b.change}) ? a : b;
}

} // namespace

bool Change(State& state, std::size_t field, const std::string& text, const Stamp& stamp) {
    Register& r = state.fields[field];
    if (r.values.size() == 1 && r.values[0].text == text)
        return false;
    for (const Value& v : r.values)
        Remember(state.history[field], v);
    r.values.assign(1, Value{text, stamp});
    Count(state.vector, stamp);
    return true;
}

std::vector<std::size_t> ChangeAll(State& state,
                                   const std::vector<std::pair<std::size_t, std::string>>& changes,
                                   const Stamp& stamp) {
    std::vector<std::size_t> changed;
    for (const auto& [field, text] : changes) {
        if (field < state.fields.size() && Change(state, field, text, stamp))
            changed.push_back(field);
    }
    return changed;
}

std::vector<std::size_t> Import(State& state,
                                const std::vector<std::pair<std::size_t, std::string>>& changes,
                                const Stamp& stamp) {
    std::map<std::size_t, Replaced> replaced;
    for (const auto& [field, text] : changes) {
        if (field >= state.fields.size() || replaced.count(field))
            continue;
        const Register& r = state.fields[field];
        const bool one =
            !r.values.empty() && r.Texts() == 1 && r.values[0].text.size() <= kHistoryValueLimit;
        replaced[field] = {field, one ? r.values[0].text : std::string(), one};
    }
    const std::vector<std::size_t> changed = ChangeAll(state, changes, stamp);
    if (changed.empty())
        return changed;
    state.lastImport = {stamp, false, {}};
    for (std::size_t field : changed)
        state.lastImport.replaced.push_back(std::move(replaced[field]));
    std::sort(state.lastImport.replaced.begin(), state.lastImport.replaced.end(),
              [](const Replaced& a, const Replaced& b) { return a.field < b.field; });
    return changed;
}

ImportUndo PlanImportUndo(const State& state) {
    ImportUndo plan;
    const LastImport& last = state.lastImport;
    if (!last.Held() || last.undone)
        return plan;
    for (const Replaced& r : last.replaced) {
        if (r.field >= state.fields.size())
            continue;
        const std::vector<Value>& values = state.fields[r.field].values;
        if (values.size() != 1 || !values[0].stamp.SameChange(last.change))
            plan.changedSince.push_back(r.field);
        else if (!r.known)
            plan.unknown.push_back(r.field);
        else
            plan.back.emplace_back(r.field, r.text);
    }
    return plan;
}

bool UndoImport(State& state, const Stamp& stamp) {
    const ImportUndo plan = PlanImportUndo(state);
    if (!state.lastImport.Held() || state.lastImport.undone)
        return false;
    const bool changed = !ChangeAll(state, plan.back, stamp).empty();
    state.lastImport.undone = true;
    return changed;
}

void Resolve(State& state, std::size_t field, const std::string& text, const std::string& dropText,
             const Stamp& stamp) {
    std::vector<Value>& values = state.fields[field].values;
    std::vector<Value> rest;
    for (const Value& v : values) {
        if (v.text == text || v.text == dropText)
            Remember(state.history[field], v);
        else
            rest.push_back(v);
    }
    values.assign(1, Value{text, stamp});
    values.insert(values.end(), rest.begin(), rest.end());
    Count(state.vector, stamp);
}

void ChangeProtection(State& state, const std::string& mark, const Stamp& stamp) {
    state.protection.values.assign(1, Value{mark, stamp});
    Count(state.vector, stamp);
}

State Merge(const State& ours, const State& theirs) {
    const Sides sides{ours, theirs};
    State merged;
    const std::size_t n = std::min(ours.fields.size(), theirs.fields.size());
    merged.fields.reserve(n);
    merged.history.reserve(n);
    std::vector<Value> dropped;
    for (std::size_t i = 0; i < n; ++i) {
        dropped.clear();
        merged.fields.push_back(MergeRegister(ours.fields[i], theirs.fields[i], sides, dropped));
        merged.history.push_back(
            MergeHistory(ours.history[i], theirs.history[i], dropped, merged.fields[i]));
    }
    dropped.clear();
    merged.protection = MergeRegister(ours.protection, theirs.protection, sides, dropped);
    merged.vector = ours.vector;
    for (const auto& [machine, counter] : theirs.vector) {
        std::uint64_t& seen = merged.vector[machine];
        seen = std::max(seen, counter);
    }
    merged.lastImport = MergeImports(ours.lastImport, theirs.lastImport);
    merged.machines = ours.machines;
    for (const auto& [machine, name] : theirs.machines) {
        std::string& known = merged.machines[machine];
        known = std::max(known, name);
    }
    return merged;
}

bool SameFacts(const State& a, const State& b) {
    auto set = [](const Register& r) {
        std::set<std::tuple<MachineId, std::uint64_t, std::string>> s;
        for (const Value& v : r.values)
            s.emplace(v.stamp.machine, v.stamp.counter, v.stamp.Stamped() ? std::string() : v.text);
        return s;
    };
    if (!a.lastImport.change.SameChange(b.lastImport.change) ||
        a.lastImport.undone != b.lastImport.undone)
        return false;
    if (a.vector != b.vector || a.fields.size() != b.fields.size() ||
        set(a.protection) != set(b.protection))
        return false;
    for (std::size_t i = 0; i < a.fields.size(); ++i) {
        if (set(a.fields[i]) != set(b.fields[i]))
            return false;
    }
    return true;
}

const Value& Newest(const Register& r) {
    static const Value none;
    return r.values.empty() ? none : *std::min_element(r.values.begin(), r.values.end(), Newer);
}

State Unstamped(std::vector<std::string> texts, const std::string& mark) {
    // A digest of the values and the mark, eight bytes a step (large memos are common).
    std::uint64_t digest = 0xcbf29ce484222325ull;
    auto mix = [&digest](std::uint64_t word) {
        digest = (digest ^ word) * 0x100000001b3ull;
        digest ^= digest >> 29;
    };
    auto add = [&mix](const std::string& text) {
        std::size_t i = 0;
        for (; i + 8 <= text.size(); i += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + i, 8);
            mix(word);
        }
        std::uint64_t tail = 0;
        std::memcpy(&tail, text.data() + i, text.size() - i);
        mix(tail);
        mix(text.size());
    };
    for (const std::string& text : texts)
        add(text);
    add(mark);
    const Stamp base{digest < 2 ? digest + 2 : digest, 1, 0};
    State state(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        state.fields[i].values[0] = Value{std::move(texts[i]), base};
    state.protection.values.assign(1, Value{mark, base});
    state.vector[base.machine] = 1;
    return state;
}

std::vector<std::string> Shown(const State& state) {
    std::vector<std::string> texts;
    texts.reserve(state.fields.size());
    for (const Register& r : state.fields)
        texts.push_back(r.values.empty() ? std::string() : r.values[0].text);
    return texts;
}

} // namespace versions
