#pragma once

#include <QStringView>

#include <string>
#include <string_view>

// Line-break conversions of UTF-8 text, each one pass over the text.

// Every CR LF, lone CR and lone LF as CR LF (how the tables keep memo text).
std::string CrLfLineBreaks(std::string_view text);
// UTF-16 text (an edit control's) as UTF-8 with every break as CR LF: the bytes of
// CrLfLineBreaks(text.toUtf8()), without the intermediate copy. The result has room for two more
// bytes, so appending a closing CR LF does not move it.
std::string CrLfLineBreaks(QStringView text);
// CrLfLineBreaks in place: no copy when every break is a CR LF already (memos as read).
void MakeCrLfLineBreaks(std::string& text);
// Every CR LF and lone CR as LF (how edit controls hold text).
std::string LfLineBreaks(std::string_view text);
