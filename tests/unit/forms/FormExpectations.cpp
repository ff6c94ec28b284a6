#include "FormExpectations.h"

namespace {

std::vector<int> Range(int a, int b) {
    std::vector<int> r;
    for (int i = a; i <= b; ++i)
        r.push_back(i);
    return r;
}

std::vector<int> Cat(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> r;
    for (const auto& p : parts)
        r.insert(r.end(), p.begin(), p.end());
    return r;
}

void Put(ExpectedForm& f, int id, int x, int y, int cx, int cy = 12) {
    f.fields[id] = {x, y, cx, cy};
}

ExpectedForm Persoenlich() {
    ExpectedForm f{12,
                   "IDD_PERSOENLICH",
                   "Persönliches",
                   422,
                   258,
                   true,
                   "E1_",
                   100,
                   129,
                   {123, 124},
                   {102, 103, 104, 105, 108, 112, 116, 119, 120, 121, 122},
                   // The second mobile number and its PIN before its Super-PIN, as drawn.
                   Cat({Range(100, 104), {128, 129}, Range(105, 127), {1, 2}}),
                   "KACHEL5",
                   "BTN17",
                   "BTN18",
                   "BTN19",
                   "BTN20",
                   true,
                   {153, 242, 50, 14},
                   {209, 242, 50, 14},
                   {},
                   {},
                   {}};
    Put(f, 100, 42, 7, 116);
    Put(f, 101, 198, 7, 208);
    Put(f, 102, 42, 32, 81);
    Put(f, 103, 198, 32, 81);
    Put(f, 104, 325, 32, 81);
    Put(f, 128, 42, 47, 81);
    Put(f, 129, 198, 47, 81);
    Put(f, 105, 326, 47, 81);
    const int rows[] = {78, 92, 106};
    for (int r = 0; r < 3; ++r) {
        Put(f, 106 + 4 * r, 42, rows[r], 66);
        Put(f, 107 + 4 * r, 146, rows[r], 66);
        Put(f, 108 + 4 * r, 244, rows[r], 66);
        Put(f, 109 + 4 * r, 340, rows[r], 66);
    }
    Put(f, 118, 146, 121, 260);
    Put(f, 119, 42, 136, 42);
    Put(f, 120, 146, 136, 42);
    Put(f, 121, 244, 136, 42);
    Put(f, 122, 340, 136, 42);
    Put(f, 123, 146, 150, 260, 20);
    Put(f, 124, 146, 171, 260, 20);
    Put(f, 125, 146, 194, 260);
    Put(f, 126, 42, 217, 116);
    Put(f, 127, 201, 217, 116);
    f.labels = {"Name:",
                "Adresse:",
                "Handy:",
                "Nummer:",
                "Pin:",
                "Super-Pin:",
                "Bankverbindungen:",
                "Bank:",
                "Kontonr.:",
                "BLZ:",
                "Inhaber:",
                "Persönliche Kennzeichen:",
                "Größe:",
                "Gewicht:",
                "Blutgruppe:",
                "Rhesusfaktor:",
                "Chronische Krankheiten:",
                "Allergien:",
                "Dioptreenzahl d. Brille, Linsendaten:",
                "PA-Nr.:",
                "Paß-Nr.:"};
    return f;
}

ExpectedForm Nummern() {
    ExpectedForm f{16,
                   "IDD_NACHGESCHLAGEN",
                   "Wichtige Nummern",
                   212,
                   258,
                   false,
                   "E2_",
                   100,
                   124,
                   {},
                   {},
                   Cat({{1, 2}, Range(100, 124)}),
                   "KACHEL9",
                   "BTN33",
                   "BTN34",
                   "BTN35",
                   "BTN36",
                   false,
                   {53, 241, 50, 14},
                   {106, 241, 50, 14},
                   {},
                   {},
                   {}};
    const int top[] = {7, 21, 35, 49, 63};
    for (int i = 0; i < 5; ++i)
        Put(f, 100 + i, 50, top[i], 76);
    const int hot[] = {93, 106, 119, 132, 145};
    const int more[] = {168, 181, 194, 207, 220};
    for (int i = 0; i < 5; ++i) {
        Put(f, 105 + 2 * i, 50, hot[i], 76);
        Put(f, 106 + 2 * i, 128, hot[i], 76);
        Put(f, 115 + 2 * i, 50, more[i], 76);
        Put(f, 116 + 2 * i, 128, more[i], 76);
    }
    f.labels = {"Polizei:",    "Feuerwehr:",  "Notarzt:", "Auskunft:",
                "Giftnotruf:", "PC-Hotline:", "Weitere:"};
    return f;
}

ExpectedForm Banken() {
    ExpectedForm f{9,
                   "IDD_BANKEN",
                   "Bankgeschäfte",
                   420,
                   214,
                   false,
                   "E3_",
                   100,
                   137,
                   {},
                   {108, 112, 116, 120, 124, 128},
                   Cat({{1, 2}, Range(100, 129), Range(132, 137), {130, 131}}),
                   "KACHEL2",
                   "BTN5",
                   "BTN6",
                   "BTN7",
                   "BTN8",
                   true,
                   {153, 192, 50, 14},
                   {209, 192, 50, 14},
                   {},
                   {},
                   {}};
    const int online[] = {24, 39};
    for (int r = 0; r < 2; ++r) {
        Put(f, 130 + r, 23, online[r], 54);
        Put(f, 100 + 3 * r, 129, online[r], 107);
        Put(f, 101 + 3 * r, 269, online[r], 57);
        Put(f, 102 + 3 * r, 358, online[r], 57);
    }
    const int cards[] = {75, 89, 121, 136, 151, 165};
    for (int r = 0; r < 6; ++r) {
        Put(f, 132 + r, 23, cards[r], 54);
        Put(f, 106 + 4 * r, 111, cards[r], 47);
        Put(f, 107 + 4 * r, 190, cards[r], 72);
        Put(f, 108 + 4 * r, 300, cards[r], 44);
        Put(f, 109 + 4 * r, 383, cards[r], 33);
    }
    f.labels = {
        "Online-Banking:", "Scheckkarten:", "Kreditkarten:", "Bank:",       "Online Adresse:",
        "Nummer:",         "Paßwort:",      "Inhaber:",      "Gültig bis:", "Geheimnr.:"};
    return f;
}

ExpectedForm Online() {
    ExpectedForm f{11,
                   "IDD_ONLINE",
                   "Online",
                   396,
                   275,
                   true,
                   "E4_",
                   100,
                   147,
                   {},
                   {},
                   Cat({{1, 2}, Range(100, 147)}),
                   "KACHEL4",
                   "BTN13",
                   "BTN14",
                   "BTN15",
                   "BTN16",
                   false,
                   {136, 257, 50, 14},
                   {192, 257, 50, 14},
                   {},
                   {},
                   {}};
    const int rows[] = {18, 32, 46};
    for (int r = 0; r < 3; ++r) {
        Put(f, 100 + 4 * r, 40, rows[r], 62);
        Put(f, 101 + 4 * r, 157, rows[r], 53);
        Put(f, 102 + 4 * r, 251, rows[r], 55);
        Put(f, 103 + 4 * r, 340, rows[r], 49);
    }
    const int one[] = {79, 109, 139, 168, 197, 225};
    const int two[] = {93, 123, 153, 182, 211, 239};
    for (int b = 0; b < 6; ++b) {
        Put(f, 112 + 6 * b, 40, one[b], 76);
        Put(f, 113 + 6 * b, 155, one[b], 53);
        Put(f, 114 + 6 * b, 251, one[b], 55);
        Put(f, 115 + 6 * b, 340, one[b], 49);
        Put(f, 116 + 6 * b, 40, two[b], 168);
        Put(f, 117 + 6 * b, 251, two[b] + (b < 2 ? 1 : 0), 138);
    }
    f.labels = {
        "Online-Zugänge:", "Online-Angebote:", "Dienst:",  "Einwahlknoten:", "User-Name:",
        "Paßwort:",        "Angebot:",         "Beitrag:", "Adresse:",       "Stornierung:"};
    return f;
}

ExpectedForm Serien() {
    ExpectedForm f{14,
                   "IDD_SERIENNR",
                   "Seriennummern",
                   412,
                   270,
                   true,
                   "E5_",
                   100,
                   140,
                   {},
                   {103, 107, 111, 115, 120, 125, 130, 135, 140},
                   Cat({{1, 2}, Range(100, 140)}),
                   "KACHEL7",
                   "BTN25",
                   "BTN26",
                   "BTN27",
                   "BTN28",
                   false,
                   {153, 253, 50, 14},
                   {209, 253, 50, 14},
                   {},
                   {},
                   {}};
    const int named[] = {21, 44, 68, 92};
    for (int r = 0; r < 4; ++r) {
        Put(f, 100 + 4 * r, 49, named[r], 69);
        Put(f, 101 + 4 * r, 151, named[r], 65);
        Put(f, 102 + 4 * r, 267, named[r], 56);
        Put(f, 103 + 4 * r, 367, named[r], 43);
    }
    const int device[] = {110, 137, 164, 191, 219};
    const int row[] = {123, 150, 177, 204, 232};
    for (int d = 0; d < 5; ++d) {
        Put(f, 116 + 5 * d, 50, device[d], 69);
        Put(f, 117 + 5 * d, 50, row[d], 69);
        Put(f, 118 + 5 * d, 152, row[d], 65);
        Put(f, 119 + 5 * d, 268, row[d], 56);
        Put(f, 120 + 5 * d, 368, row[d], 43);
    }
    f.labels = {"Fernseher:", "CD-Player:",    "HiFi-Sonstig:", "Videorecorder:", "Bezeichnung:",
                "Standort:",  "Seriennummer:", "Garantie bis:", "Gerät:"};
    return f;
}

ExpectedForm Frei() {
    ExpectedForm f{10,
                   "IDD_FREIFELDER",
                   "Frei definierbare Felder",
                   412,
                   246,
                   true,
                   "E6_",
                   100,
                   129,
                   {},
                   {},
                   Cat({{1, 2}, Range(100, 129)}),
                   "KACHEL3",
                   "BTN9",
                   "BTN10",
                   "BTN11",
                   "BTN12",
                   false,
                   {154, 230, 50, 14},
                   {208, 230, 50, 14},
                   {},
                   {},
                   {}};
    const int rows[] = {17, 31, 45, 59, 72, 86, 100, 113, 127, 141, 155, 169, 183, 197, 211};
    for (int r = 0; r < 15; ++r) {
        Put(f, 100 + 2 * r, 8, rows[r], 76);
        Put(f, 101 + 2 * r, 90, rows[r], 314);
    }
    f.labels = {"Feldtitel:"};
    return f;
}

ExpectedForm Software() {
    ExpectedForm f{15,
                   "IDD_SOFTWARE",
                   "Softwareregistrierung",
                   398,
                   241,
                   true,
                   "E7_",
                   100,
                   144,
                   {},
                   {},
                   Cat({{1, 2}, Range(100, 144)}),
                   "KACHEL8",
                   "BTN29",
                   "BTN30",
                   "BTN31",
                   "BTN32",
                   true,
                   {147, 221, 50, 14},
                   {201, 221, 50, 14},
                   {},
                   {},
                   {}};
    const int rows[] = {13, 27, 41, 55, 69, 83, 96, 110, 123, 136, 150, 163, 176, 189, 202};
    for (int r = 0; r < 15; ++r) {
        Put(f, 100 + 3 * r, 61, rows[r], 88);
        Put(f, 101 + 3 * r, 212, rows[r], 90);
        Put(f, 102 + 3 * r, 304, rows[r], 90);
    }
    f.labels = {"Programmname:", "Schlüsselnummer:"};
    return f;
}

ExpectedForm Aerzte() {
    ExpectedForm f{8,
                   "IDD_AERZTE",
                   "Ärzte",
                   427,
                   162,
                   true,
                   "E8_",
                   100,
                   114,
                   {},
                   {103, 104, 108, 109, 113, 114},
                   Cat({{1, 2}, Range(100, 114)}),
                   "KACHEL1",
                   "BTN1",
                   "BTN2",
                   "BTN3",
                   "BTN4",
                   true,
                   {161, 143, 50, 14},
                   {217, 143, 50, 14},
                   {},
                   {},
                   {}};
    const int one[] = {18, 63, 104};
    const int two[] = {32, 77, 118};
    for (int g = 0; g < 3; ++g) {
        Put(f, 100 + 5 * g, 42, one[g], 116);
        Put(f, 101 + 5 * g, 198, one[g], 208);
        Put(f, 102 + 5 * g, 60, two[g], 98);
        Put(f, 103 + 5 * g, 198, two[g], 66);
        Put(f, 104 + 5 * g, 340, two[g], 66);
    }
    f.labels = {"Hausarzt:", "Spezialarzt 1:",  "Spezialarzt 2:", "Name:",
                "Adresse:",  "Öffnungszeiten:", "Telefon:",       "Fax:"};
    return f;
}

ExpectedForm Pkw() {
    ExpectedForm f{13,
                   "IDD_PKW",
                   "Fahrzeugschein/brief",
                   412,
                   262,
                   false,
                   "E10_",
                   100,
                   143,
                   {134},
                   {},
                   Cat({{1, 2}, Range(100, 143)}),
                   "KACHEL6",
                   "BTN21",
                   "BTN22",
                   "BTN23",
                   "BTN24",
                   false,
                   {6, 246, 50, 14},
                   {60, 246, 50, 14},
                   {},
                   {},
                   {142, 143}};
    const int third[] = {16, 84, 150};
    for (int i = 0; i < 3; ++i) {
        Put(f, 100 + i, third[i], 14, 51);
        Put(f, 115 + i, third[i], 149, 51);
    }
    Put(f, 103, 53, 30, 148);
    Put(f, 104, 53, 43, 148);
    Put(f, 105, 53, 56, 148);
    Put(f, 106, 53, 70, 148);
    const int pairs[] = {83, 96, 110, 123};
    for (int i = 0; i < 4; ++i) {
        Put(f, 107 + 2 * i, 53, pairs[i], 54);
        Put(f, 108 + 2 * i, 159, pairs[i], 42);
    }
    Put(f, 118, 53, 164, 54);
    Put(f, 119, 159, 164, 42);
    Put(f, 120, 223, 14, 51);
    Put(f, 121, 291, 14, 51);
    Put(f, 122, 357, 14, 51);
    Put(f, 123, 236, 30, 20);
    Put(f, 124, 312, 30, 21);
    Put(f, 125, 387, 30, 21);
    Put(f, 126, 279, 56, 130);
    Put(f, 127, 279, 70, 130);
    Put(f, 128, 279, 83, 130);
    Put(f, 129, 279, 96, 130);
    Put(f, 130, 261, 123, 54);
    Put(f, 131, 367, 123, 42);
    Put(f, 132, 265, 149, 144);
    Put(f, 133, 265, 164, 144);
    Put(f, 134, 5, 193, 197, 32);
    Put(f, 135, 261, 193, 54);
    Put(f, 136, 367, 193, 42);
    Put(f, 137, 261, 206, 54);
    Put(f, 138, 367, 206, 42);
    Put(f, 139, 279, 219, 130);
    Put(f, 140, 279, 232, 130);
    Put(f, 141, 279, 246, 130);
    Put(f, 142, 37, 230, 44);
    Put(f, 143, 158, 230, 44);
    f.labels = {"Schlüsselnummern:",
                "1:",
                "2:",
                "3:",
                "Fahrzeugtyp:",
                "Hersteller:",
                "Ausführung:",
                "Ident-Nr.:",
                "Antriebsart:",
                "HöGeschw.:",
                "Leistung KW:",
                "Hubr.ccm3:",
                "Nutzlast kg:",
                "Tankinh.ccm3:",
                "Steh-/Liegepl.:",
                "Sitzplätze:",
                "Maße über alles mm:",
                "L:",
                "B:",
                "H:",
                "Leergew. kg:",
                "Zul. Gesgew.:",
                "Zul. Achslast kg:",
                "v:",
                "m:",
                "h:",
                "Räder:",
                "Zahl d. Achsen:",
                "Angetr. Achsen:",
                "Größenbezeichnung d. Reifen:",
                "Vorn:",
                "Mitten u. hinten:",
                "Oder vorn:",
                "Mitten u. Hinten:",
                "Überdruck am Bremsanschluß bar:",
                "Einleitgsbr.:",
                "Zweiltgsbr.:",
                "Anhängekupplung DIN740:",
                "Form u. Größe:",
                "Prüfzeichen:",
                "Bemerkungen:",
                "Anhängelast kg bei Anhänger",
                "mit Bremse:",
                "ohne Bremse:",
                "Standger. dB:",
                "Fahrger. dB:",
                "Tag d. ersten Zul.:",
                "Fahrzeugbrief-Nr.:",
                "TÜV bis:",
                "ASU bis:"};
    return f;
}

} // namespace

const std::vector<ExpectedForm>& ExpectedForms() {
    static const std::vector<ExpectedForm> forms{Persoenlich(), Nummern(), Banken(),
                                                 Online(),      Serien(),  Frei(),
                                                 Software(),    Aerzte(),  Pkw()};
    return forms;
}
