#pragma once
// What the main window asks when it needs a file name from the user: the dialog's title, its
// filter, the default extension and whether it saves (then it asks before overwriting).

#include <string>

class QWidget;

struct SFileQuery {
    std::string Title;
    std::string Filter;    // Qt form: "Text files (*.txt);;All files (*.*)"
    std::string Extension; // default extension, without the dot
    bool Save = false;
};

// The file dialog; false when cancelled.
bool AskFileName(QWidget* parent, const SFileQuery& query, std::string& fileName);
