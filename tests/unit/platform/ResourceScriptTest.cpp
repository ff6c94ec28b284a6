#include "platform/gui/ResourceScript.h"
#include "platform/Messages.h"
#include "platform/gui/WinStyles.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

std::string Shipped() {
    QFile file(QStringLiteral(":/quillory.rc"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
}

std::string ErrorOf(const std::string& text) {
    std::string error;
    EXPECT_FALSE(ResourceScript::Parse(text, &error).has_value()) << text;
    return error;
}

TEST(ResourceScriptTest, ShippedScriptParsesCompletely) {
    std::string error;
    const auto script = ResourceScript::Parse(Shipped(), &error);
    ASSERT_TRUE(script.has_value()) << error;
    for (const char* name : {"IDD_QUILLORY_INFO1", "IDD_PERSOENLICH", "BACKUP_DIALOG"})
        EXPECT_NE(script->dialog(ResId(name)), nullptr) << name;
    EXPECT_NE(script->dialog(ResId(32514)), nullptr);
    EXPECT_NE(script->dialog(ResId(32515)), nullptr);
    const DialogTemplate* client = script->dialog(ResId(2000));
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->caption, "Dialog Client");
    EXPECT_EQ(client->controls.size(), 1u);
    EXPECT_GE(script->dialogs().size(), 12u);
    EXPECT_EQ(script->bitmapPath("KACHEL1"), ":/bitmaps/KACHEL1.bmp");
    EXPECT_EQ(script->iconPath(1001), ":/quillory.ico");
    EXPECT_EQ(script->bitmapPath("NOSUCH"), "");
    EXPECT_EQ(&AppResources(), &AppResources());
    EXPECT_EQ(AppResources().dialogs().size(), script->dialogs().size());
}

TEST(ResourceScriptTest, BackupStringsAreExact) {
    const ResourceScript& r = AppResources();
    const std::map<int, std::string> expected = {
        {3000, " Dateien/"},
        {3001, "Die Datei "},
        {3002, " existiert bereits! Überschreiben?"},
        {3003, "Kopiere Datei "},
        {3004, " nach "},
        {3005, "Nicht genug Platz auf dem Zieldatenträger\nLegen Sie einen neuen Datenträger ein!"},
        {3006, "Kopiervorgang gescheitert:\n"},
        {3007, "\nnach\n"},
        {3008, "Vorgang abgebrochen!"},
        {3009, "Verzeichniserzeugung gescheitert!"},
        {3010, "Exe-Dateien|*.exe|"},
        {3011, "Kann Datei nicht finden %s!"},
    };
    for (const auto& [id, text] : expected)
        EXPECT_EQ(r.string(id), text) << id;
    EXPECT_EQ(r.string(2999), "");
    EXPECT_FALSE(r.hasString(3012));
}

TEST(ResourceScriptTest, InputBoxTemplates) {
    const DialogTemplate* plain = AppResources().dialog(ResId(32514));
    const DialogTemplate* secret = AppResources().dialog(ResId("32515"));
    ASSERT_TRUE(plain && secret);
    for (const DialogTemplate* t : {plain, secret}) {
        EXPECT_EQ(t->x, 20);
        EXPECT_EQ(t->y, 24);
        EXPECT_EQ(t->cx, 180);
        EXPECT_EQ(t->cy, 64);
        EXPECT_EQ(t->fontName, "MS Sans Serif");
        ASSERT_EQ(t->controls.size(), t == secret ? 5u : 4u);
        EXPECT_EQ(t->controls[0].id, 4091);
        EXPECT_EQ(t->controls[1].id, 4090);
        EXPECT_TRUE(t->controls[1].style & ES_AUTOHSCROLL);
        EXPECT_EQ(t->controls[2].style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        EXPECT_EQ(t->controls[3].id, IDCANCEL);
    }
    EXPECT_EQ(plain->controls[2].x, 47);
    EXPECT_EQ(secret->controls[2].x, 70);
    EXPECT_FALSE(plain->controls[1].style & ES_PASSWORD);
    EXPECT_TRUE(secret->controls[1].style & ES_PASSWORD);
    EXPECT_TRUE(plain->controls[3].style & WS_VISIBLE);
    EXPECT_FALSE(secret->controls[3].style & WS_VISIBLE);
    // The password box's further button, shown only when given an action.
    EXPECT_EQ(secret->controls[4].id, 4092);
    EXPECT_FALSE(secret->controls[4].style & WS_VISIBLE);
}

TEST(ResourceScriptTest, SyntaxVariants) {
    const std::string text = R"(#define IDC_NAME 105
/* block
   comment */ dlg dialogex discardable 1, 2, 30, 40, 7
EXSTYLE WS_EX_TOOLWINDOW
STYLE WS_POPUP | NOT WS_SYSMENU | (DS_CENTER)
CAPTION "Say ""hi""\tnow"
FONT 8, "MS Sans Serif", 400, 0, 1
CLASS "Mine"
{
  CONTROL "x", IDC_NAME, "button", BS_AUTOCHECKBOX | WS_TABSTOP, 1, 2, 3, 4, WS_EX_CLIENTEDGE, 9
  RTEXT "r", -1, 0, 0, 1, 1 // trailing
  CTEXT "c", IDC_STATIC, 0, 0, 1, 1
  EDITTEXT 7, 0, 0, 1, 1, NOT WS_BORDER | ES_READONLY
  LISTBOX 8, 0, 0, 1, 1, 0x0800L
}
STRINGTABLE DISCARDABLE
BEGIN
  10 "ä\nb"
  0x0B, "zwei"
END
)";
    std::string error;
    const auto s = ResourceScript::Parse(text, &error);
    ASSERT_TRUE(s.has_value()) << error;
    const DialogTemplate* d = s->dialog(ResId("DLG"));
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->extended);
    EXPECT_EQ(d->caption, "Say \"hi\"\tnow");
    EXPECT_EQ(d->className, "Mine");
    EXPECT_EQ(d->exStyle, WS_EX_TOOLWINDOW);
    EXPECT_EQ(d->style & WS_SYSMENU, 0u);
    EXPECT_TRUE(d->style & DS_CENTER);
    ASSERT_EQ(d->controls.size(), 5u);
    EXPECT_EQ(d->controls[0].id, 105);
    EXPECT_EQ(d->controls[0].kind, ControlKind::Button);
    EXPECT_EQ(d->controls[0].exStyle, WS_EX_CLIENTEDGE);
    EXPECT_EQ(d->controls[1].style & SS_TYPEMASK, SS_RIGHT);
    EXPECT_EQ(d->controls[2].id, -1);
    EXPECT_FALSE(d->controls[3].style & WS_BORDER);
    EXPECT_TRUE(d->controls[3].style & (ES_READONLY | WS_TABSTOP));
    EXPECT_TRUE(d->controls[4].style & LBS_EXTENDEDSEL);
    EXPECT_EQ(s->string(10), "ä\nb");
    EXPECT_EQ(s->string(11), "zwei");
}

TEST(ResourceScriptTest, MalformedScriptsNameTheLine) {
    EXPECT_NE(
        ErrorOf("A DIALOG 0, 0, 1, 1\nBEGIN\n  BUTTONX \"a\", 1, 0, 0, 1, 1\nEND\n").find("line 3"),
        std::string::npos);
    EXPECT_NE(ErrorOf("\n\nA DIALOG 0, 0, 1, 1\nBEGIN\n").find("line 5: END"), std::string::npos);
    EXPECT_NE(ErrorOf("A DIALOG 0, 0, 1, 1\nSTYLE WS_NOSUCH\nBEGIN\nEND\n").find("line 2"),
              std::string::npos);
    EXPECT_NE(ErrorOf("STRINGTABLE\nBEGIN\n 1 \"a\"\n 1 \"b\"\nEND\n").find("line 4"),
              std::string::npos);
    EXPECT_NE(ErrorOf("X BITMAP \"open\nY BITMAP \"b\"\n").find("line 1"), std::string::npos);
    EXPECT_NE(ErrorOf("A DIALOG 0, 0 1, 1\nBEGIN\nEND\n").find("line 1"), std::string::npos);
    EXPECT_NE(ErrorOf("/* open").find("line 1"), std::string::npos);
}

TEST(ResourceScriptTest, NumbersOutOfRangeAreRefusedOrWrapNeverThrow) {
    std::string error;
    auto s = ResourceScript::Parse(
        "\"2222222222222222222\" BITMAP \"a\"\n"
        "\"008004674400\" DIALOG 0, 0, -9223372036854775808 + -1, - -9223372036854775808\n"
        "BEGIN\nEND\n",
        &error);
    ASSERT_TRUE(s.has_value()) << error;
    // Digits beyond an int name a resource rather than number it.
    EXPECT_EQ(s->bitmapPath("2222222222222222222"), ":/a");
    const DialogTemplate* d = s->dialog(ResId("008004674400"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->cx, -1);
    EXPECT_EQ(d->cy, 0);

    const std::string nested = "A DIALOG 0, 0, 1, " + std::string(100000, '(') + "1\nBEGIN\nEND\n";
    const std::string negated = "A DIALOG 0, 0, 1, " + std::string(100000, '-') + "1\nBEGIN\nEND\n";
    for (const std::string& text :
         {std::string("A DIALOG 0, 0, 1, 99999999999999999999\nBEGIN\nEND\n"),
          std::string("4294967297 DIALOG 0, 0, 1, 1\nBEGIN\nEND\n"),
          std::string("A DIALOG 0, 0, 1, 0x\nBEGIN\nEND\n"), nested, negated})
        EXPECT_NE(ErrorOf(text).find("line 1"), std::string::npos) << text.substr(0, 40);
    // A definition whose value does not fit defines nothing.
    EXPECT_NE(ErrorOf("#define BIG 99999999999999999999\nA DIALOG 0, 0, 1, BIG\nBEGIN\nEND\n")
                  .find("line 2: unknown name 'BIG'"),
              std::string::npos);
}

} // namespace
