#include "catalogue/FieldCatalogue.h"

#include <algorithm>

namespace {

constexpr CategoryInfo kCategories[] = {
    {1, TableIndex{0}, "Persönliches"},          {2, TableIndex{1}, "Wichtige Nummern"},
    {3, TableIndex{1}, "Bankgeschäfte"},         {4, TableIndex{0}, "Online"},
    {5, TableIndex{0}, "Seriennummern"},         {6, TableIndex{0}, "Frei definierbare Felder"},
    {7, TableIndex{0}, "Softwareregistrierung"}, {8, TableIndex{0}, "Ärzte"},
    {10, TableIndex{1}, "Fahrzeugschein/brief"}, {11, TableIndex{2}, "Verträge"},
};

using K = FieldKind;
using R = ExportRole;
using C = CheckKind;
using D = DateRole;

// Category, id, kind, characters, label, entry; then where they apply: secret, export role,
// check and its partner, the field holding the user's title, the date for Fristen.
// clang-format off
constexpr FieldFacts kFields[] = {
    // Persönliches
    {1, 100, K::Text, 47, "Name", "Person", false, R::Title},
    {1, 101, K::Text, 47, "Adresse", "Person"},
    {1, 102, K::Text, 19, "Handy: Nummer (1)", "Handy 1", false, R::UserName},
    {1, 103, K::Text, 19, "Handy: Pin (1)", "Handy 1", true, R::Password},
    {1, 104, K::Text, 19, "Handy: Super-Pin (1)", "Handy 1", true},
    {1, 105, K::Text, 19, "Handy: Super-Pin (2)", "Handy 2", true},
    {1, 106, K::Text, 47, "Bankverbindungen: Bank (1)", "Bankverbindung 1", false, R::Title},
    {1, 107, K::Text, 47, "Bankverbindungen: Kontonr. (1)", "Bankverbindung 1", false, R::Attribute, C::AccountNumber, 108},
    {1, 108, K::Text, 19, "Bankverbindungen: BLZ (1)", "Bankverbindung 1", false, R::Attribute, C::BankCode, 107},
    {1, 109, K::Text, 47, "Bankverbindungen: Inhaber (1)", "Bankverbindung 1"},
    {1, 110, K::Text, 47, "Bankverbindungen: Bank (2)", "Bankverbindung 2", false, R::Title},
    {1, 111, K::Text, 47, "Bankverbindungen: Kontonr. (2)", "Bankverbindung 2", false, R::Attribute, C::AccountNumber, 112},
    {1, 112, K::Text, 19, "Bankverbindungen: BLZ (2)", "Bankverbindung 2", false, R::Attribute, C::BankCode, 111},
    {1, 113, K::Text, 47, "Bankverbindungen: Inhaber (2)", "Bankverbindung 2"},
    {1, 114, K::Text, 47, "Bankverbindungen: Bank (3)", "Bankverbindung 3", false, R::Title},
    {1, 115, K::Text, 47, "Bankverbindungen: Kontonr. (3)", "Bankverbindung 3", false, R::Attribute, C::AccountNumber, 116},
    {1, 116, K::Text, 19, "Bankverbindungen: BLZ (3)", "Bankverbindung 3", false, R::Attribute, C::BankCode, 115},
    {1, 117, K::Text, 47, "Bankverbindungen: Inhaber (3)", "Bankverbindung 3"},
    {1, 118, K::Text, 47, "Persönliche Kennzeichen", "Person"},
    {1, 119, K::Text, 19, "Größe", "Gesundheit"},
    {1, 120, K::Text, 19, "Gewicht", "Gesundheit"},
    {1, 121, K::Text, 19, "Blutgruppe", "Gesundheit"},
    {1, 122, K::Text, 19, "Rhesusfaktor", "Gesundheit"},
    {1, 123, K::Memo, 0, "Chronische Krankheiten", "Gesundheit", false, R::Notes},
    {1, 124, K::Memo, 0, "Allergien", "Gesundheit", false, R::Notes},
    {1, 125, K::Text, 47, "Dioptreenzahl d. Brille, Linsendaten", "Gesundheit"},
    {1, 126, K::Text, 47, "PA-Nr.", "Person"},
    {1, 127, K::Text, 47, "Paß-Nr.", "Person"},
    {1, 128, K::Text, 47, "Handy: Nummer (2)", "Handy 2", false, R::UserName},
    {1, 129, K::Text, 47, "Handy: Pin (2)", "Handy 2", true, R::Password},
    // Wichtige Nummern
    {2, 100, K::Text, 47, "Polizei", "Notrufe"},
    {2, 101, K::Text, 47, "Feuerwehr", "Notrufe"},
    {2, 102, K::Text, 47, "Notarzt", "Notrufe"},
    {2, 103, K::Text, 47, "Auskunft", "Notrufe"},
    {2, 104, K::Text, 47, "Giftnotruf", "Notrufe"},
    {2, 105, K::Text, 47, "PC-Hotline", "PC-Hotline 1", false, R::Title},
    {2, 106, K::Text, 47, "PC-Hotline", "PC-Hotline 1", false, R::Attribute, C::None, 0, 105},
    {2, 107, K::Text, 47, "PC-Hotline", "PC-Hotline 2", false, R::Title},
    {2, 108, K::Text, 47, "PC-Hotline", "PC-Hotline 2", false, R::Attribute, C::None, 0, 107},
    {2, 109, K::Text, 47, "PC-Hotline", "PC-Hotline 3", false, R::Title},
    {2, 110, K::Text, 47, "PC-Hotline", "PC-Hotline 3", false, R::Attribute, C::None, 0, 109},
    {2, 111, K::Text, 47, "PC-Hotline", "PC-Hotline 4", false, R::Title},
    {2, 112, K::Text, 47, "PC-Hotline", "PC-Hotline 4", false, R::Attribute, C::None, 0, 111},
    {2, 113, K::Text, 47, "PC-Hotline", "PC-Hotline 5", false, R::Title},
    {2, 114, K::Text, 47, "PC-Hotline", "PC-Hotline 5", false, R::Attribute, C::None, 0, 113},
    {2, 115, K::Text, 47, "Weitere", "Weitere Nummer 1", false, R::Title},
    {2, 116, K::Text, 47, "Weitere", "Weitere Nummer 1", false, R::Attribute, C::None, 0, 115},
    {2, 117, K::Text, 47, "Weitere", "Weitere Nummer 2", false, R::Title},
    {2, 118, K::Text, 47, "Weitere", "Weitere Nummer 2", false, R::Attribute, C::None, 0, 117},
    {2, 119, K::Text, 47, "Weitere", "Weitere Nummer 3", false, R::Title},
    {2, 120, K::Text, 47, "Weitere", "Weitere Nummer 3", false, R::Attribute, C::None, 0, 119},
    {2, 121, K::Text, 47, "Weitere", "Weitere Nummer 4", false, R::Title},
    {2, 122, K::Text, 47, "Weitere", "Weitere Nummer 4", false, R::Attribute, C::None, 0, 121},
    {2, 123, K::Text, 47, "Weitere", "Weitere Nummer 5", false, R::Title},
    {2, 124, K::Text, 47, "Weitere", "Weitere Nummer 5", false, R::Attribute, C::None, 0, 123},
    // Bankgeschäfte
    {3, 100, K::Text, 47, "Online-Banking: Online Adresse (1)", "Online-Banking 1", false, R::Url},
    {3, 101, K::Text, 47, "Online-Banking: Nummer (1)", "Online-Banking 1", false, R::UserName},
    {3, 102, K::Text, 47, "Online-Banking: Paßwort (1)", "Online-Banking 1", true, R::Password},
    {3, 103, K::Text, 47, "Online-Banking: Online Adresse (2)", "Online-Banking 2", false, R::Url},
    {3, 104, K::Text, 47, "Online-Banking: Nummer (2)", "Online-Banking 2", false, R::UserName},
    {3, 105, K::Text, 47, "Online-Banking: Paßwort (2)", "Online-Banking 2", true, R::Password},
    {3, 106, K::Text, 47, "Scheckkarten: Nummer (1)", "Scheckkarten: 1. Karte"},
    {3, 107, K::Text, 47, "Scheckkarten: Inhaber (1)", "Scheckkarten: 1. Karte"},
    {3, 108, K::Date, 19, "Scheckkarten: Gültig bis (1)", "Scheckkarten: 1. Karte", false, R::Attribute, C::None, 0, 0, {D::Fixed, "Scheckkarten: 1. Karte", 107, "Inhaber", 132}},
    {3, 109, K::Text, 47, "Scheckkarten: Geheimnr. (1)", "Scheckkarten: 1. Karte", true, R::Password},
    {3, 110, K::Text, 47, "Scheckkarten: Nummer (2)", "Scheckkarten: 2. Karte"},
    {3, 111, K::Text, 47, "Scheckkarten: Inhaber (2)", "Scheckkarten: 2. Karte"},
    {3, 112, K::Date, 19, "Scheckkarten: Gültig bis (2)", "Scheckkarten: 2. Karte", false, R::Attribute, C::None, 0, 0, {D::Fixed, "Scheckkarten: 2. Karte", 111, "Inhaber", 133}},
    {3, 113, K::Text, 47, "Scheckkarten: Geheimnr. (2)", "Scheckkarten: 2. Karte", true, R::Password},
    {3, 114, K::Text, 47, "Kreditkarten: Nummer (1)", "Kreditkarten: 1. Karte", false, R::Attribute, C::CardNumber},
    {3, 115, K::Text, 47, "Kreditkarten: Inhaber (1)", "Kreditkarten: 1. Karte"},
    {3, 116, K::Date, 19, "Kreditkarten: Gültig bis (1)", "Kreditkarten: 1. Karte", false, R::Attribute, C::CardExpiry, 0, 0, {D::Fixed, "Kreditkarten: 1. Karte", 115, "Inhaber", 134}},
    {3, 117, K::Text, 47, "Kreditkarten: Geheimnr. (1)", "Kreditkarten: 1. Karte", true, R::Password},
    {3, 118, K::Text, 47, "Kreditkarten: Nummer (2)", "Kreditkarten: 2. Karte", false, R::Attribute, C::CardNumber},
    {3, 119, K::Text, 47, "Kreditkarten: Inhaber (2)", "Kreditkarten: 2. Karte"},
    {3, 120, K::Date, 19, "Kreditkarten: Gültig bis (2)", "Kreditkarten: 2. Karte", false, R::Attribute, C::CardExpiry, 0, 0, {D::Fixed, "Kreditkarten: 2. Karte", 119, "Inhaber", 135}},
    {3, 121, K::Text, 47, "Kreditkarten: Geheimnr. (2)", "Kreditkarten: 2. Karte", true, R::Password},
    {3, 122, K::Text, 47, "Kreditkarten: Nummer (3)", "Kreditkarten: 3. Karte", false, R::Attribute, C::CardNumber},
    {3, 123, K::Text, 47, "Kreditkarten: Inhaber (3)", "Kreditkarten: 3. Karte"},
    {3, 124, K::Date, 19, "Kreditkarten: Gültig bis (3)", "Kreditkarten: 3. Karte", false, R::Attribute, C::CardExpiry, 0, 0, {D::Fixed, "Kreditkarten: 3. Karte", 123, "Inhaber", 136}},
    {3, 125, K::Text, 47, "Kreditkarten: Geheimnr. (3)", "Kreditkarten: 3. Karte", true, R::Password},
    {3, 126, K::Text, 47, "Kreditkarten: Nummer (4)", "Kreditkarten: 4. Karte", false, R::Attribute, C::CardNumber},
    {3, 127, K::Text, 47, "Kreditkarten: Inhaber (4)", "Kreditkarten: 4. Karte"},
    {3, 128, K::Date, 19, "Kreditkarten: Gültig bis (4)", "Kreditkarten: 4. Karte", false, R::Attribute, C::CardExpiry, 0, 0, {D::Fixed, "Kreditkarten: 4. Karte", 127, "Inhaber", 137}},
    {3, 129, K::Text, 47, "Kreditkarten: Geheimnr. (4)", "Kreditkarten: 4. Karte", true, R::Password},
    {3, 130, K::Text, 47, "Online-Banking: Bank (1)", "Online-Banking 1", false, R::Title},
    {3, 131, K::Text, 47, "Online-Banking: Bank (2)", "Online-Banking 2", false, R::Title},
    {3, 132, K::Text, 47, "Scheckkarten: Bank (1)", "Scheckkarten: 1. Karte", false, R::Title},
    {3, 133, K::Text, 47, "Scheckkarten: Bank (2)", "Scheckkarten: 2. Karte", false, R::Title},
    {3, 134, K::Text, 47, "Kreditkarten: Bank (1)", "Kreditkarten: 1. Karte", false, R::Title},
    {3, 135, K::Text, 47, "Kreditkarten: Bank (2)", "Kreditkarten: 2. Karte", false, R::Title},
    {3, 136, K::Text, 47, "Kreditkarten: Bank (3)", "Kreditkarten: 3. Karte", false, R::Title},
    {3, 137, K::Text, 47, "Kreditkarten: Bank (4)", "Kreditkarten: 4. Karte", false, R::Title},
    // Online
    {4, 100, K::Text, 47, "Online-Zugänge: Dienst (1)", "Online-Zugang 1", false, R::Title},
    {4, 101, K::Text, 47, "Online-Zugänge: Einwahlknoten (1)", "Online-Zugang 1"},
    {4, 102, K::Text, 47, "Online-Zugänge: User-Name (1)", "Online-Zugang 1", false, R::UserName},
    {4, 103, K::Text, 47, "Online-Zugänge: Paßwort (1)", "Online-Zugang 1", true, R::Password},
    {4, 104, K::Text, 47, "Online-Zugänge: Dienst (2)", "Online-Zugang 2", false, R::Title},
    {4, 105, K::Text, 47, "Online-Zugänge: Einwahlknoten (2)", "Online-Zugang 2"},
    {4, 106, K::Text, 47, "Online-Zugänge: User-Name (2)", "Online-Zugang 2", false, R::UserName},
    {4, 107, K::Text, 47, "Online-Zugänge: Paßwort (2)", "Online-Zugang 2", true, R::Password},
    {4, 108, K::Text, 47, "Online-Zugänge: Dienst (3)", "Online-Zugang 3", false, R::Title},
    {4, 109, K::Text, 47, "Online-Zugänge: Einwahlknoten (3)", "Online-Zugang 3"},
    {4, 110, K::Text, 47, "Online-Zugänge: User-Name (3)", "Online-Zugang 3", false, R::UserName},
    {4, 111, K::Text, 47, "Online-Zugänge: Paßwort (3)", "Online-Zugang 3", true, R::Password},
    {4, 112, K::Text, 47, "Online-Angebote: Angebot (1)", "Online-Angebot 1", false, R::Title},
    {4, 113, K::Amount, 47, "Online-Angebote: Beitrag (1)", "Online-Angebot 1"},
    {4, 114, K::Text, 47, "Online-Angebote: User-Name (1)", "Online-Angebot 1", false, R::UserName},
    {4, 115, K::Text, 47, "Online-Angebote: Paßwort (1)", "Online-Angebot 1", true, R::Password},
    {4, 116, K::Text, 47, "Online-Angebote: Adresse (1)", "Online-Angebot 1", false, R::Url},
    {4, 117, K::Text, 47, "Online-Angebote: Stornierung (1)", "Online-Angebot 1"},
    {4, 118, K::Text, 47, "Online-Angebote: Angebot (2)", "Online-Angebot 2", false, R::Title},
    {4, 119, K::Amount, 47, "Online-Angebote: Beitrag (2)", "Online-Angebot 2"},
    {4, 120, K::Text, 47, "Online-Angebote: User-Name (2)", "Online-Angebot 2", false, R::UserName},
    {4, 121, K::Text, 47, "Online-Angebote: Paßwort (2)", "Online-Angebot 2", true, R::Password},
    {4, 122, K::Text, 47, "Online-Angebote: Adresse (2)", "Online-Angebot 2", false, R::Url},
    {4, 123, K::Text, 47, "Online-Angebote: Stornierung (2)", "Online-Angebot 2"},
    {4, 124, K::Text, 47, "Online-Angebote: Angebot (3)", "Online-Angebot 3", false, R::Title},
    {4, 125, K::Amount, 47, "Online-Angebote: Beitrag (3)", "Online-Angebot 3"},
    {4, 126, K::Text, 47, "Online-Angebote: User-Name (3)", "Online-Angebot 3", false, R::UserName},
    {4, 127, K::Text, 47, "Online-Angebote: Paßwort (3)", "Online-Angebot 3", true, R::Password},
    {4, 128, K::Text, 47, "Online-Angebote: Adresse (3)", "Online-Angebot 3", false, R::Url},
    {4, 129, K::Text, 47, "Online-Angebote: Stornierung (3)", "Online-Angebot 3"},
    {4, 130, K::Text, 47, "Online-Angebote: Angebot (4)", "Online-Angebot 4", false, R::Title},
    {4, 131, K::Amount, 47, "Online-Angebote: Beitrag (4)", "Online-Angebot 4"},
    {4, 132, K::Text, 47, "Online-Angebote: User-Name (4)", "Online-Angebot 4", false, R::UserName},
    {4, 133, K::Text, 47, "Online-Angebote: Paßwort (4)", "Online-Angebot 4", true, R::Password},
    {4, 134, K::Text, 47, "Online-Angebote: Adresse (4)", "Online-Angebot 4", false, R::Url},
    {4, 135, K::Text, 47, "Online-Angebote: Stornierung (4)", "Online-Angebot 4"},
    {4, 136, K::Text, 47, "Online-Angebote: Angebot (5)", "Online-Angebot 5", false, R::Title},
    {4, 137, K::Amount, 47, "Online-Angebote: Beitrag (5)", "Online-Angebot 5"},
    {4, 138, K::Text, 47, "Online-Angebote: User-Name (5)", "Online-Angebot 5", false, R::UserName},
    {4, 139, K::Text, 47, "Online-Angebote: Paßwort (5)", "Online-Angebot 5", true, R::Password},
    {4, 140, K::Text, 47, "Online-Angebote: Adresse (5)", "Online-Angebot 5", false, R::Url},
    {4, 141, K::Text, 47, "Online-Angebote: Stornierung (5)", "Online-Angebot 5"},
    {4, 142, K::Text, 47, "Online-Angebote: Angebot (6)", "Online-Angebot 6", false, R::Title},
    {4, 143, K::Amount, 47, "Online-Angebote: Beitrag (6)", "Online-Angebot 6"},
    {4, 144, K::Text, 47, "Online-Angebote: User-Name (6)", "Online-Angebot 6", false, R::UserName},
    {4, 145, K::Text, 47, "Online-Angebote: Paßwort (6)", "Online-Angebot 6", true, R::Password},
    {4, 146, K::Text, 47, "Online-Angebote: Adresse (6)", "Online-Angebot 6", false, R::Url},
    {4, 147, K::Text, 47, "Online-Angebote: Stornierung (6)", "Online-Angebot 6"},
    // Seriennummern
    {5, 100, K::Text, 47, "Fernseher: Bezeichnung", "Fernseher", false, R::Title},
    {5, 101, K::Text, 47, "Fernseher: Standort", "Fernseher"},
    {5, 102, K::Text, 47, "Fernseher: Seriennummer", "Fernseher"},
    {5, 103, K::Date, 19, "Fernseher: Garantie bis", "Fernseher", false, R::Attribute, C::None, 0, 0, {D::Fixed, "Garantie: Fernseher", 0, nullptr, 0}},
    {5, 104, K::Text, 47, "CD-Player: Bezeichnung", "CD-Player", false, R::Title},
    {5, 105, K::Text, 47, "CD-Player: Standort", "CD-Player"},
    {5, 106, K::Text, 47, "CD-Player: Seriennummer", "CD-Player"},
    {5, 107, K::Date, 19, "CD-Player: Garantie bis", "CD-Player", false, R::Attribute, C::None, 0, 0, {D::Fixed, "Garantie: CD-Player", 0, nullptr, 0}},
    {5, 108, K::Text, 47, "HiFi-Sonstig: Bezeichnung", "HiFi-Sonstig", false, R::Title},
    {5, 109, K::Text, 47, "HiFi-Sonstig: Standort", "HiFi-Sonstig"},
    {5, 110, K::Text, 47, "HiFi-Sonstig: Seriennummer", "HiFi-Sonstig"},
    {5, 111, K::Date, 19, "HiFi-Sonstig: Garantie bis", "HiFi-Sonstig", false, R::Attribute, C::None, 0, 0, {D::Fixed, "Garantie: HiFi-Sonstig", 0, nullptr, 0}},
    {5, 112, K::Text, 47, "Videorecorder: Bezeichnung (1)", "Videorecorder", false, R::Title},
    {5, 113, K::Text, 47, "Videorecorder: Standort (1)", "Videorecorder"},
    {5, 114, K::Text, 47, "Videorecorder: Seriennummer (1)", "Videorecorder"},
    {5, 115, K::Date, 19, "Videorecorder: Garantie bis (1)", "Videorecorder", false, R::Attribute, C::None, 0, 0, {D::Fixed, "Garantie: Videorecorder", 0, nullptr, 0}},
    {5, 116, K::Text, 47, "Videorecorder: Gerät (1)", "1. Gerät", false, R::Title},
    {5, 117, K::Text, 47, "Videorecorder: Bezeichnung (2)", "1. Gerät"},
    {5, 118, K::Text, 47, "Videorecorder: Standort (2)", "1. Gerät"},
    {5, 119, K::Text, 47, "Videorecorder: Seriennummer (2)", "1. Gerät"},
    {5, 120, K::Date, 19, "Videorecorder: Garantie bis (2)", "1. Gerät", false, R::Attribute, C::None, 0, 0, {D::Fixed, "Garantie: 1. Gerät", 116, nullptr, 0}},
    {5, 121, K::Text, 47, "Videorecorder: Gerät (2)", "2. Gerät", false, R::Title},
    {5, 122, K::Text, 47, "Videorecorder: Bezeichnung (3)", "2. Gerät"},
    {5, 123, K::Text, 47, "Videorecorder: Standort (3)", "2. Gerät"},
    {5, 124, K::Text, 47, "Videorecorder: Seriennummer (3)", "2. Gerät"},
    {5, 125, K::Date, 19, "Videorecorder: Garantie bis (3)", "2. Gerät", false, R::Attribute, C::None, 0, 0, {D::Fixed, "Garantie: 2. Gerät", 121, nullptr, 0}},
    {5, 126, K::Text, 47, "Videorecorder: Gerät (3)", "3. Gerät", false, R::Title},
    {5, 127, K::Text, 47, "Videorecorder: Bezeichnung (4)", "3. Gerät"},
    {5, 128, K::Text, 47, "Videorecorder: Standort (4)", "3. Gerät"},
    {5, 129, K::Text, 47, "Videorecorder: Seriennummer (4)", "3. Gerät"},
    {5, 130, K::Date, 19, "Videorecorder: Garantie bis (4)", "3. Gerät", false, R::Attribute, C::None, 0, 0, {D::Fixed, "Garantie: 3. Gerät", 126, nullptr, 0}},
    {5, 131, K::Text, 47, "Videorecorder: Gerät (4)", "4. Gerät", false, R::Title},
    {5, 132, K::Text, 47, "Videorecorder: Bezeichnung (5)", "4. Gerät"},
    {5, 133, K::Text, 47, "Videorecorder: Standort (5)", "4. Gerät"},
    {5, 134, K::Text, 47, "Videorecorder: Seriennummer (5)", "4. Gerät"},
    {5, 135, K::Date, 19, "Videorecorder: Garantie bis (5)", "4. Gerät", false, R::Attribute, C::None, 0, 0, {D::Fixed, "Garantie: 4. Gerät", 131, nullptr, 0}},
    {5, 136, K::Text, 47, "Videorecorder: Gerät (5)", "5. Gerät", false, R::Title},
    {5, 137, K::Text, 47, "Videorecorder: Bezeichnung (6)", "5. Gerät"},
    {5, 138, K::Text, 47, "Videorecorder: Standort (6)", "5. Gerät"},
    {5, 139, K::Text, 47, "Videorecorder: Seriennummer (6)", "5. Gerät"},
    {5, 140, K::Date, 19, "Videorecorder: Garantie bis (6)", "5. Gerät", false, R::Attribute, C::None, 0, 0, {D::Fixed, "Garantie: 5. Gerät", 136, nullptr, 0}},
    // Frei definierbare Felder
    {6, 100, K::Text, 47, "Feldtitel", "Freies Feld 1", false, R::Title},
    {6, 101, K::Text, 47, "Feldtitel", "Freies Feld 1", false, R::Attribute, C::None, 0, 100, {D::Titled}},
    {6, 102, K::Text, 47, "Feldtitel", "Freies Feld 2", false, R::Title},
    {6, 103, K::Text, 47, "Feldtitel", "Freies Feld 2", false, R::Attribute, C::None, 0, 102, {D::Titled}},
    {6, 104, K::Text, 47, "Feldtitel", "Freies Feld 3", false, R::Title},
    {6, 105, K::Text, 47, "Feldtitel", "Freies Feld 3", false, R::Attribute, C::None, 0, 104, {D::Titled}},
    {6, 106, K::Text, 47, "Feldtitel", "Freies Feld 4", false, R::Title},
    {6, 107, K::Text, 47, "Feldtitel", "Freies Feld 4", false, R::Attribute, C::None, 0, 106, {D::Titled}},
    {6, 108, K::Text, 47, "Feldtitel", "Freies Feld 5", false, R::Title},
    {6, 109, K::Text, 47, "Feldtitel", "Freies Feld 5", false, R::Attribute, C::None, 0, 108, {D::Titled}},
    {6, 110, K::Text, 47, "Feldtitel", "Freies Feld 6", false, R::Title},
    {6, 111, K::Text, 47, "Feldtitel", "Freies Feld 6", false, R::Attribute, C::None, 0, 110, {D::Titled}},
    {6, 112, K::Text, 47, "Feldtitel", "Freies Feld 7", false, R::Title},
    {6, 113, K::Text, 47, "Feldtitel", "Freies Feld 7", false, R::Attribute, C::None, 0, 112, {D::Titled}},
    {6, 114, K::Text, 47, "Feldtitel", "Freies Feld 8", false, R::Title},
    {6, 115, K::Text, 47, "Feldtitel", "Freies Feld 8", false, R::Attribute, C::None, 0, 114, {D::Titled}},
    {6, 116, K::Text, 47, "Feldtitel", "Freies Feld 9", false, R::Title},
    {6, 117, K::Text, 47, "Feldtitel", "Freies Feld 9", false, R::Attribute, C::None, 0, 116, {D::Titled}},
    {6, 118, K::Text, 47, "Feldtitel", "Freies Feld 10", false, R::Title},
    {6, 119, K::Text, 47, "Feldtitel", "Freies Feld 10", false, R::Attribute, C::None, 0, 118, {D::Titled}},
    {6, 120, K::Text, 47, "Feldtitel", "Freies Feld 11", false, R::Title},
    {6, 121, K::Text, 47, "Feldtitel", "Freies Feld 11", false, R::Attribute, C::None, 0, 120, {D::Titled}},
    {6, 122, K::Text, 47, "Feldtitel", "Freies Feld 12", false, R::Title},
    {6, 123, K::Text, 47, "Feldtitel", "Freies Feld 12", false, R::Attribute, C::None, 0, 122, {D::Titled}},
    {6, 124, K::Text, 47, "Feldtitel", "Freies Feld 13", false, R::Title},
    {6, 125, K::Text, 47, "Feldtitel", "Freies Feld 13", false, R::Attribute, C::None, 0, 124, {D::Titled}},
    {6, 126, K::Text, 47, "Feldtitel", "Freies Feld 14", false, R::Title},
    {6, 127, K::Text, 47, "Feldtitel", "Freies Feld 14", false, R::Attribute, C::None, 0, 126, {D::Titled}},
    {6, 128, K::Text, 47, "Feldtitel", "Freies Feld 15", false, R::Title},
    {6, 129, K::Text, 47, "Feldtitel", "Freies Feld 15", false, R::Attribute, C::None, 0, 128, {D::Titled}},
    // Softwareregistrierung
    {7, 100, K::Text, 47, "Programmname (1)", "Programm 1", false, R::Title},
    {7, 101, K::Text, 47, "Schlüsselnummer (1)", "Programm 1"},
    {7, 102, K::Text, 47, "Schlüsselnummer (1)", "Programm 1"},
    {7, 103, K::Text, 47, "Programmname (2)", "Programm 2", false, R::Title},
    {7, 104, K::Text, 47, "Schlüsselnummer (2)", "Programm 2"},
    {7, 105, K::Text, 47, "Schlüsselnummer (2)", "Programm 2"},
    {7, 106, K::Text, 47, "Programmname (3)", "Programm 3", false, R::Title},
    {7, 107, K::Text, 47, "Schlüsselnummer (3)", "Programm 3"},
    {7, 108, K::Text, 47, "Schlüsselnummer (3)", "Programm 3"},
    {7, 109, K::Text, 47, "Programmname (4)", "Programm 4", false, R::Title},
    {7, 110, K::Text, 47, "Schlüsselnummer (4)", "Programm 4"},
    {7, 111, K::Text, 47, "Schlüsselnummer (4)", "Programm 4"},
    {7, 112, K::Text, 47, "Programmname (5)", "Programm 5", false, R::Title},
    {7, 113, K::Text, 47, "Schlüsselnummer (5)", "Programm 5"},
    {7, 114, K::Text, 47, "Schlüsselnummer (5)", "Programm 5"},
    {7, 115, K::Text, 47, "Programmname (6)", "Programm 6", false, R::Title},
    {7, 116, K::Text, 47, "Schlüsselnummer (6)", "Programm 6"},
    {7, 117, K::Text, 47, "Schlüsselnummer (6)", "Programm 6"},
    {7, 118, K::Text, 47, "Programmname (7)", "Programm 7", false, R::Title},
    {7, 119, K::Text, 47, "Schlüsselnummer (7)", "Programm 7"},
    {7, 120, K::Text, 47, "Schlüsselnummer (7)", "Programm 7"},
    {7, 121, K::Text, 47, "Programmname (8)", "Programm 8", false, R::Title},
    {7, 122, K::Text, 47, "Schlüsselnummer (8)", "Programm 8"},
    {7, 123, K::Text, 47, "Schlüsselnummer (8)", "Programm 8"},
    {7, 124, K::Text, 47, "Programmname (9)", "Programm 9", false, R::Title},
    {7, 125, K::Text, 47, "Schlüsselnummer (9)", "Programm 9"},
    {7, 126, K::Text, 47, "Schlüsselnummer (9)", "Programm 9"},
    {7, 127, K::Text, 47, "Programmname (10)", "Programm 10", false, R::Title},
    {7, 128, K::Text, 47, "Schlüsselnummer (10)", "Programm 10"},
    {7, 129, K::Text, 47, "Schlüsselnummer (10)", "Programm 10"},
    {7, 130, K::Text, 47, "Programmname (11)", "Programm 11", false, R::Title},
    {7, 131, K::Text, 47, "Schlüsselnummer (11)", "Programm 11"},
    {7, 132, K::Text, 47, "Schlüsselnummer (11)", "Programm 11"},
    {7, 133, K::Text, 47, "Programmname (12)", "Programm 12", false, R::Title},
    {7, 134, K::Text, 47, "Schlüsselnummer (12)", "Programm 12"},
    {7, 135, K::Text, 47, "Schlüsselnummer (12)", "Programm 12"},
    {7, 136, K::Text, 47, "Programmname (13)", "Programm 13", false, R::Title},
    {7, 137, K::Text, 47, "Schlüsselnummer (13)", "Programm 13"},
    {7, 138, K::Text, 47, "Schlüsselnummer (13)", "Programm 13"},
    {7, 139, K::Text, 47, "Programmname (14)", "Programm 14", false, R::Title},
    {7, 140, K::Text, 47, "Schlüsselnummer (14)", "Programm 14"},
    {7, 141, K::Text, 47, "Schlüsselnummer (14)", "Programm 14"},
    {7, 142, K::Text, 47, "Programmname (15)", "Programm 15", false, R::Title},
    {7, 143, K::Text, 47, "Schlüsselnummer (15)", "Programm 15"},
    {7, 144, K::Text, 47, "Schlüsselnummer (15)", "Programm 15"},
    // Ärzte
    {8, 100, K::Text, 47, "Hausarzt: Name", "Hausarzt", false, R::Title},
    {8, 101, K::Text, 47, "Hausarzt: Adresse", "Hausarzt"},
    {8, 102, K::Text, 47, "Hausarzt: Öffnungszeiten", "Hausarzt"},
    {8, 103, K::Text, 19, "Hausarzt: Telefon", "Hausarzt"},
    {8, 104, K::Text, 19, "Hausarzt: Fax", "Hausarzt"},
    {8, 105, K::Text, 47, "Spezialarzt 1: Name", "Spezialarzt 1", false, R::Title},
    {8, 106, K::Text, 47, "Spezialarzt 1: Adresse", "Spezialarzt 1"},
    {8, 107, K::Text, 47, "Spezialarzt 1: Öffnungszeiten", "Spezialarzt 1"},
    {8, 108, K::Text, 19, "Spezialarzt 1: Telefon", "Spezialarzt 1"},
    {8, 109, K::Text, 19, "Spezialarzt 1: Fax", "Spezialarzt 1"},
    {8, 110, K::Text, 47, "Spezialarzt 2: Name", "Spezialarzt 2", false, R::Title},
    {8, 111, K::Text, 47, "Spezialarzt 2: Adresse", "Spezialarzt 2"},
    {8, 112, K::Text, 47, "Spezialarzt 2: Öffnungszeiten", "Spezialarzt 2"},
    {8, 113, K::Text, 19, "Spezialarzt 2: Telefon", "Spezialarzt 2"},
    {8, 114, K::Text, 19, "Spezialarzt 2: Fax", "Spezialarzt 2"},
    // Fahrzeugschein/brief
    {10, 100, K::Text, 47, "1", "Fahrzeug"},
    {10, 101, K::Text, 47, "2", "Fahrzeug", false, R::Attribute, C::ManufacturerKey},
    {10, 102, K::Text, 47, "3", "Fahrzeug", false, R::Attribute, C::TypeKey},
    {10, 103, K::Text, 47, "Fahrzeugtyp", "Fahrzeug", false, R::Title},
    {10, 104, K::Text, 47, "Hersteller", "Fahrzeug"},
    {10, 105, K::Text, 47, "Ausführung", "Fahrzeug"},
    {10, 106, K::Text, 47, "Ident-Nr.", "Fahrzeug", false, R::Attribute, C::Vin},
    {10, 107, K::Text, 47, "Antriebsart", "Fahrzeug"},
    {10, 108, K::Text, 47, "HöGeschw.", "Fahrzeug"},
    {10, 109, K::Text, 47, "Leistung KW", "Fahrzeug"},
    {10, 110, K::Text, 47, "Hubr.ccm3", "Fahrzeug"},
    {10, 111, K::Text, 47, "Nutzlast kg", "Fahrzeug"},
    {10, 112, K::Text, 47, "Tankinh.ccm3", "Fahrzeug"},
    {10, 113, K::Text, 47, "Steh-/Liegepl.", "Fahrzeug"},
    {10, 114, K::Text, 47, "Sitzplätze", "Fahrzeug"},
    {10, 115, K::Text, 47, "L", "Fahrzeug"},
    {10, 116, K::Text, 47, "B", "Fahrzeug"},
    {10, 117, K::Text, 47, "H", "Fahrzeug"},
    {10, 118, K::Text, 47, "Leergew. kg", "Fahrzeug"},
    {10, 119, K::Date, 47, "Zul. Gesgew.", "Fahrzeug"},
    {10, 120, K::Text, 47, "v", "Fahrzeug"},
    {10, 121, K::Text, 47, "m", "Fahrzeug"},
    {10, 122, K::Text, 47, "h", "Fahrzeug"},
    {10, 123, K::Text, 47, "Räder", "Fahrzeug"},
    {10, 124, K::Text, 47, "Zahl d. Achsen", "Fahrzeug"},
    {10, 125, K::Text, 47, "Angetr. Achsen", "Fahrzeug"},
    {10, 126, K::Text, 47, "Vorn", "Fahrzeug"},
    {10, 127, K::Text, 47, "Mitten u. hinten", "Fahrzeug"},
    {10, 128, K::Text, 47, "Oder vorn", "Fahrzeug"},
    {10, 129, K::Text, 47, "Mitten u. Hinten", "Fahrzeug"},
    {10, 130, K::Text, 47, "Einleitgsbr.", "Fahrzeug"},
    {10, 131, K::Text, 47, "Zweiltgsbr.", "Fahrzeug"},
    {10, 132, K::Text, 47, "Form u. Größe", "Fahrzeug"},
    {10, 133, K::Text, 47, "Prüfzeichen", "Fahrzeug"},
    {10, 134, K::Memo, 0, "Maße über alles mm: Bemerkungen", "Fahrzeug", false, R::Notes},
    {10, 135, K::Text, 47, "mit Bremse", "Fahrzeug"},
    {10, 136, K::Text, 47, "ohne Bremse", "Fahrzeug"},
    {10, 137, K::Text, 47, "Standger. dB", "Fahrzeug"},
    {10, 138, K::Text, 47, "Fahrger. dB", "Fahrzeug"},
    {10, 139, K::Date, 47, "Tag d. ersten Zul.", "Fahrzeug"},
    {10, 140, K::Text, 47, "Anhängelast kg bei Anhänger: Bemerkungen", "Fahrzeug"},
    {10, 141, K::Text, 47, "Fahrzeugbrief-Nr.", "Fahrzeug"},
    {10, 142, K::Date, 47, "TÜV bis", "Fahrzeug", false, R::Attribute, C::None, 0, 0, {D::Fixed, "TÜV", 0, nullptr, 0}},
    {10, 143, K::Date, 47, "ASU bis", "Fahrzeug", false, R::Attribute, C::None, 0, 0, {D::Fixed, "ASU", 0, nullptr, 0}},
    // Verträge: the fields come with the form; until then a placeholder.
    {11, 100, K::Text, 47, "Vertrag", "Vertrag", false, R::Title},
};
// clang-format on

} // namespace

std::span<const CategoryInfo> Categories() {
    return kCategories;
}

std::vector<int> CategoriesOf(TableIndex table) {
    std::vector<int> numbers;
    for (const CategoryInfo& c : kCategories)
        if (c.table == table)
            numbers.push_back(c.number);
    return numbers;
}

const CategoryInfo* FindCategory(int number) {
    for (const CategoryInfo& c : kCategories)
        if (c.number == number)
            return &c;
    return nullptr;
}

const char* CategoryTitle(int number) {
    const CategoryInfo* c = FindCategory(number);
    return c ? c->title : "";
}

std::span<const FieldFacts> AllFields() {
    return kFields;
}

std::span<const FieldFacts> FieldsOf(int category) {
    const auto in = [category](const FieldFacts& f) { return f.category == category; };
    const FieldFacts* first = std::find_if(std::begin(kFields), std::end(kFields), in);
    const FieldFacts* last = std::find_if_not(first, std::end(kFields), in);
    return {first, last};
}

const FieldFacts* FindField(int category, int id) {
    for (const FieldFacts& f : FieldsOf(category))
        if (f.id == id)
            return &f;
    return nullptr;
}

bool IsMaskedField(int category, int id) {
    const FieldFacts* f = FindField(category, id);
    return f && f->secret;
}

std::string FieldName(int n, int k) {
    return "E" + std::to_string(n) + "_" + std::to_string(k);
}

std::string FieldLabel(const FieldFacts& field, const std::string* title) {
    if (field.titleId != 0 && title) {
        const std::string line = title->substr(0, title->find_first_of("\r\n"));
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos)
            return line.substr(first, line.find_last_not_of(" \t") - first + 1);
    }
    return field.label;
}
