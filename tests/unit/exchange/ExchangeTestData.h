#pragma once

#include "exchange/CatalogueFields.h"
#include "exchange/KdbxCrypto.h"
#include "exchange/KdbxModel.h"

#include <string>
#include <vector>

// Texts that break careless writers: umlauts, ß, €, quotes, separators, tabs, both line
// breaks, markup, formulas, 255 characters, blanks at the ends, nothing at all.
inline std::vector<std::string> AwkwardTexts() {
    std::string longText;
    while (longText.size() < 255)
        longText += "äöü߀x";
    std::string exact255;
    for (int i = 0; i < 255; ++i)
        exact255 += (i % 3 == 0) ? "ß" : "a";
    return {"Müller-Lüdenscheidt, Straße 5 – 12,50 €",
            "Sag \"Hallo\"; dann ;; \"\"",
            "Tab\tmitten\tdrin",
            "Zeile 1\r\nZeile 2\r\n\r\nZeile 4",
            "nur LF\nzwei",
            "<b>&amp; ]]> 'x'</b>",
            "=SUMME(A1:A3)",
            "'=kein Formel",
            "@A1",
            "-HYPERLINK(1)",
            "-5",
            "'",
            "+49 30 1234567",
            "  Blanks an den Enden  ",
            exact255,
            longText,
            ""};
}

// Cheap key derivation for test files.
inline kdbx::Argon2Params TestKdf() {
    return {kdbx::Argon2Type::Id, kdbx::RandomBytes(32), 1 << 20, 2, 1, 0x13};
}

// A database with one group per text and entries whose every standard string and two custom
// attributes (one protected) hold awkward texts.
inline KdbxDatabase AwkwardDatabase() {
    KdbxDatabase db;
    db.name = "Prüf-Datenbank";
    db.root.uuid = kdbx::RandomBytes(16);
    db.root.name = "Quillory";
    const auto texts = AwkwardTexts();
    for (std::size_t g = 0; g < 3; ++g) {
        KdbxGroup group;
        group.uuid = kdbx::RandomBytes(16);
        group.name = "Formular " + std::to_string(g) + " Ärzte";
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const auto& t = [&](std::size_t k) -> const std::string& {
                return texts[(i + k + g) % texts.size()];
            };
            KdbxEntry e;
            e.uuid = kdbx::RandomBytes(16);
            e.strings = {{"Title", "Eintrag " + std::to_string(i) + " " + t(0), false},
                         {"UserName", t(1), false},
                         {"Password", t(2), true},
                         {"URL", t(3), false},
                         {"Notes", t(4), false},
                         {"Öffnungszeiten:", t(5), false},
                         {"Geheimnr.; \"PIN\"", t(6), true}};
            group.entries.push_back(std::move(e));
        }
        db.root.groups.push_back(std::move(group));
    }
    return db;
}

// Every field of every form filled with the awkward texts in turn, as the export makes it.
inline KdbxDatabase CatalogueDatabase() {
    const auto texts = AwkwardTexts();
    FormValues values;
    std::size_t i = 0;
    for (const ExchangeField& f : CatalogueFields())
        values[{f.category, f.id}] = texts[i++ % texts.size()];
    return ExportKdbx(CatalogueFields(), values, "Prüfer");
}
