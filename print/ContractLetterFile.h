#pragma once

#include <map>
#include <string>

class QWidget;

// "Kündigungsschreiben...": asks where to save the letter of the chosen contract (with the
// sender from "Persönliches"), writes it as a PDF like the emergency folder's (atomically, mode
// 0600) and says in German which file it wrote, or that it could not.
void WriteContractLetter(QWidget* form, const std::map<int, std::string>& contracts, int contract);
