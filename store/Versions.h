#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The causal facts a document carries so that two versions merge exactly, without a base:
// every field's value with the stamp of the change that made it, the document's version vector,
// and each field's last earlier values. Pure logic: no files, no engine, no catalogue.
namespace versions {

using MachineId = std::uint64_t; // random per installation; 0 for none

// The change that made a value: its machine and that machine's counter, with the time it was
// made (seconds since 1970, UTC). The values of a document from before stamps carry the stamp of
// a machine named by a digest of that document's values, time 0: every copy of one such document
// agrees on them, two different ones differ. Machine 0 is a field no writer knew (always empty).
struct Stamp {
    MachineId machine = 0;
    std::uint64_t counter = 0;
    std::int64_t time = 0;
    bool Stamped() const { return machine != 0; }
    bool SameChange(const Stamp& o) const { return machine == o.machine && counter == o.counter; }
};

struct Value {
    std::string text;
    Stamp stamp;
    // The same change; values without a stamp are the same when their texts are.
    bool Same(const Value& o) const {
        return stamp.Stamped() ? stamp.SameChange(o.stamp) : !o.stamp.Stamped() && text == o.text;
    }
};

// Per machine, the highest counter of its changes a version has seen.
using Vector = std::map<MachineId, std::uint64_t>;
bool Covers(const Vector& vector, const Stamp& stamp);

// A field's values that no change has seen together: one normally; more when changes made
// without seeing each other left different values (a conflict). values[0] is the one shown.
struct Register {
    std::vector<Value> values;
    // How many different texts it holds; more than one is a conflict.
    std::size_t Texts() const;
};

inline constexpr std::size_t kHistoryLength = 5;
// Longer earlier values are not kept (a document of large memos would carry five copies).
inline constexpr std::size_t kHistoryValueLimit = 64 * 1024;

// What the last import replaced, so that it can be undone as a whole: per field the text it
// held before, or none where that is not known for sure (too long to keep, or in conflict).
struct Replaced {
    std::size_t field;
    std::string text;
    bool known = true;
    bool operator==(const Replaced&) const = default;
};

struct LastImport {
    Stamp change; // machine 0: none
    bool undone = false;
    std::vector<Replaced> replaced; // by field, ascending
    bool Held() const { return change.Stamped(); }
};

// A document's causal state. fields and history are indexed alike by the caller's field list.
struct State {
    std::vector<Register> fields;
    std::vector<std::vector<Value>> history; // per field, newest first, at most kHistoryLength
    // The password's mark ("" none). Marks set without seeing each other all stay, as a
    // field's values do; the newest of them is the password in force, never a conflict.
    Register protection;
    Vector vector;
    std::map<MachineId, std::string> machines; // names, for showing who changed what
    LastImport lastImport;

    // Every field empty, without stamps.
    explicit State(std::size_t fieldCount = 0)
        : fields(fieldCount, Register{{Value{}}}), history(fieldCount), protection{{Value{}}} {}
    bool operator==(const State&) const;
};

// The next stamp of a machine: counters only grow, also across runs (base comes from the
// machine's own state folder and is raised every run).
struct Clock {
    MachineId machine = 0;
    std::uint64_t counter = 0;
    Stamp Next(std::int64_t now) { return {machine, ++counter, now}; }
    // Never behind what a version has already seen of this machine.
    void Catch(const Vector& vector);
};

// This machine changes a field to text: the new value replaces all of the field's values, which
// go to its history; the vector counts the change. Setting the text a field holds alone is no
// change (false).
bool Change(State& state, std::size_t field, const std::string& text, const Stamp& stamp);
// Several fields as one change: one stamp for all. Returns the fields that changed.
std::vector<std::size_t> ChangeAll(State& state,
                                   const std::vector<std::pair<std::size_t, std::string>>& changes,
                                   const Stamp& stamp);
// Several fields as the document's last import, one change: what each field held before is kept
// with it (replacing an earlier import's), for UndoImport.
std::vector<std::size_t> Import(State& state,
                                const std::vector<std::pair<std::size_t, std::string>>& changes,
                                const Stamp& stamp);

// What undoing the last import does: the fields that still hold its value alone get their text
// from before it back; a field changed since (here, on another machine, or in conflict with it)
// stays, and so does one whose earlier text is not known for sure.
struct ImportUndo {
    std::vector<std::pair<std::size_t, std::string>> back;
    std::vector<std::size_t> changedSince;
    std::vector<std::size_t> unknown;
};
// Nothing when there is no import to undo (none, or undone already).
ImportUndo PlanImportUndo(const State& state);
// Puts the planned texts back as one change and marks the import undone. False when nothing
// went back (the import is marked undone all the same when it had nothing left to undo).
bool UndoImport(State& state, const Stamp& stamp);

// Keeps text of a field in conflict against dropText as a new change: both leave the field's
// values (to its history), text comes back first with the new stamp; other values stay.
void Resolve(State& state, std::size_t field, const std::string& text, const std::string& dropText,
             const Stamp& stamp);
// A new password mark.
void ChangeProtection(State& state, const std::string& mark, const Stamp& stamp);

// Merges theirs into ours. Per field, a value the other side's vector covers but the other side
// no longer holds was overwritten knowingly and goes; values neither side has seen both stay (a
// conflict). The shown value stays ours where ours is kept. Vectors merge by maximum; histories
// by union, newest kept. The later of two imports is the last; undone on one side, undone.
// Commutative up to which value is shown, associative and idempotent.
State Merge(const State& ours, const State& theirs);

// The newest of a register's values (the password mark in force).
const Value& Newest(const Register& r);

// Whether two states hold the same facts: vectors, and every field's and the password's values
// as sets (which value is shown and the histories aside).
bool SameFacts(const State& a, const State& b);

// A document read before it carried stamps, with its values (moved in where the caller can
// give them up) and password mark.
State Unstamped(std::vector<std::string> texts, const std::string& mark = "");

// The text each field shows.
std::vector<std::string> Shown(const State& state);

// Text form of a state for a document's memo field, and back. names[i] names field i. The shown
// texts are not in it (the tables hold them): Decode takes them as shown. Fields the text names
// that are not in names are dropped; a field it does not name is unstamped. False for a text
// that is not such a form (state then Unstamped(shown, mark), as for an empty text). The shown
// texts move into the state where the caller gives them up.
std::string Encode(const State& state, const std::vector<std::string>& names);
bool Decode(const std::string& text, const std::vector<std::string>& names,
            std::vector<std::string> shown, const std::string& mark, State& state);

} // namespace versions
