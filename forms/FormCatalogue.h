#pragma once

#include <memory>
#include <span>

class QWidget;
class TDialog;

// The constants that make each of the nine category forms that form: its class, template and
// pictures. Its title, fields and table are the field catalogue's (catalogue/FieldCatalogue.h).
struct FormDescription {
    int command;                                         // desk command that opens the form
    std::unique_ptr<TDialog> (*create)(QWidget* parent); // the form's own class
    const char* templateName;                            // dialog template in the resource script
    int category;                                        // field names are "E<category>_<id>"
    const char* tile;                                    // background tile picture
    const char* okUp;
    const char* okDown;
    const char* cancelUp;
    const char* cancelDown;
    bool yellowLabels;
};

std::span<const FormDescription> FormCatalogue();
const FormDescription* FormForCommand(int command);
const FormDescription* FormForCategory(int category);

// Text limit of a form's edit control in the Windows sense: 48 or 20 (the control admits one
// character less), 0 for a memo without limit, -1 for an id that is not one of the form's fields.
int FieldLimit(int category, int id);
