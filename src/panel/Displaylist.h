#pragma once
// The Display page of the settings dialog without its controls: the lines that stand for the
// items of the current pane, their selection, and the editing operations, which change the pane
// at once. Also the rules for the page's buttons.

#include <string>
#include <vector>

class CPaneList;
class IPaneSource;

struct SDisplayButtons {
    bool Add = false;
    bool Remove = false;
    bool Up = false;
    bool Down = false;
    bool Clear = false;
    bool Default = false;
};

class CDisplayList {
public:
    static constexpr int SeparatorKind = 3;
    static constexpr int PlotKind = 2;
    static constexpr int UpperPaneTab = 0;

    explicit CDisplayList(const IPaneSource* source);

    // Captions of the type list, index = item kind.
    static const std::vector<std::string>& TypeCaptions();
    static std::string SeparatorLine();

    // The variables a kind lists, in order; a separator lists none.
    std::vector<int> SelectableIds(int kind) const;
    // Every distinct id selectable as a value, bar or plot, first occurrence kept.
    std::vector<int> AllDisplayIds() const;

    // The pane the lines stand for; nullptr: no pane, and the operations do nothing.
    void SetPane(CPaneList* pane) { pane_ = pane; }
    CPaneList* Pane() const { return pane_; }

    // Rebuilds the lines from the pane. Selects itemIndex when it is a line, else line 0 when
    // there are lines. Returns the item to show (-1 for none).
    int ShowPane(int itemIndex);

    int LineCount() const { return int(lines_.size()); }
    std::string LineText(int i) const;
    bool Selected(int i) const;
    void SetSelected(int i, bool selected);
    void DeselectAll();
    bool AnySelected() const;

    // Appends one item per id (negative ids skipped), or one separator for the separator kind;
    // the new lines alone are selected.
    void Add(int kind, const std::vector<int>& ids);
    void Remove();
    void MoveUp();
    void MoveDown();
    void ClearPane();

    bool CanMoveUp() const;
    bool CanMoveDown() const;

    SDisplayButtons Buttons(bool locked, int kind, int paneTab, bool anyVariableSelected) const;

private:
    struct SLine {
        std::string Text;
        bool Selected = false;
    };
    std::string TextOf(int itemIndex) const;
    void Exchange(int i, int j);

    const IPaneSource* source_;
    CPaneList* pane_ = nullptr;
    std::vector<SLine> lines_;
};
