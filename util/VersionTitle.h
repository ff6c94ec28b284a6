#pragma once

// The version title: application name, caption of the main frame, the about box and every
// message box and input box outside the backup.
inline constexpr const char* kVersionTitle = "Quillory Version 1.0";
