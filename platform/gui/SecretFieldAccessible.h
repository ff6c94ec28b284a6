#pragma once

class QLineEdit;

// Marks a line edit as a secret field for screen readers: it is reported as password text and
// its value as stars, also while its own text is shown on the screen. Call before the field
// is first shown.
void MarkSecretField(QLineEdit* field);
bool IsSecretField(const QLineEdit* field);
