#pragma once
// Text fields, drop-down lists and tables on the dark skin: dark boxes with
// light text and a quiet frame, so they read as part of the window instead
// of white holes in it. Set on a dialog, the style reaches every field
// inside; set on single fields, only those (and their pop-up lists).
class QWidget;

namespace zarvel {

// `extra` adds rules of the widget's own (a table's check boxes).
void UseDarkFields(QWidget& widget, const char* extra = nullptr);

}  // namespace zarvel
