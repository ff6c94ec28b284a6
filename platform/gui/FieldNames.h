#pragma once

#include "platform/gui/ResourceScript.h"

#include <map>
#include <string>

// The names a screen reader announces for the fields (edits, list and combo boxes) of a dialog
// template, by index into its controls. A field is named after its label: the static text left
// of it on its line, else the one right above it, without the colon and mnemonic marks. Where
// that label is not unique in the dialog the heading above the field goes first: the titled
// group box around it, else the nearest static text above that labels no field ("Hausarzt:
// Name"); where even that repeats, the occurrence's number follows ("Scheckkarten: Bank (2)").
// Fields without a label are left out.
std::map<size_t, std::string> FieldAccessibleNames(const DialogTemplate& dialog);

// A control text as spoken: mnemonic marks removed, blanks and a trailing colon trimmed.
std::string SpokenText(const std::string& text);
