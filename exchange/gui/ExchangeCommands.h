#pragma once

#include "exchange/FieldMapping.h"

#include <string>

class QWidget;

// "Exportieren…", "Importieren…" and "Import rückgängig…" of the emergency folder's dialog, over
// the logged-in user's open document.

// The export dialog: KDBX 4 with a password typed twice (the document's own offered when the
// session holds it), or the CSV file after a warning that it is not encrypted.
void RunExport(QWidget* parent, const std::string& userName, bool isProtected);

// Chooses a file (KDBX, KeePass XML, Bitwarden JSON or the CSV), reads it (with a progress
// window when that takes more than a second), shows the preview and writes what the user
// accepts as one save of the document.
void RunImport(QWidget* parent);

// The plan's values as the open document's last import, one change: one stamp for the merge,
// one step in every field's history, undone as a whole. False when a value names no field or
// the tables could not be written. The caller saves.
bool ApplyImportPlan(const ImportPlan& plan);

// Whether the last import of the open document can still be undone: some field still holds a
// value it wrote, and what was there before is known.
bool CanUndoImport();
// Asks (naming how many values go back and which stay), then undoes the last import as one
// change and saves; says what happened.
void RunUndoImport(QWidget* parent);

// The values of every field of the open document; false when a table cannot be read.
bool ReadDocumentValues(const std::vector<ExchangeField>& fields, FormValues& values);

// Writes bytes to path as a private file (0600), whole or not at all; false (said) on failure.
bool WritePrivateFile(QWidget* parent, const std::string& path, const std::string& bytes);
