#pragma once

#include "common/MessageSink.h"
#include "widgets/ui/COffScreenPicture.h"
#include "widgets/PictureRect.h"
#include "widgets/SymbolGridLayout.h"

#include <QImage>
#include <QPointer>

#include <functional>
#include <span>
#include <vector>

class QPainter;

namespace harkwell {

// A table of note and rest symbols drawn into an off-screen picture; reports
// which cell was pressed and released as (row, column), and shows chosen cells
// tinted. The host control is the owner's; the grid draws into its surface and
// takes over its mouse callbacks.
class CSymbolGridPicture {
public:
    using CellHandler = std::function<void(int row, int column)>;

    // The grid's number, given to its host as the tag.
    static constexpr int kIndex = 0;

    CSymbolGridPicture(COffScreenPicture& host, MessageSink& messages);
    ~CSymbolGridPicture();
    CSymbolGridPicture(const CSymbolGridPicture&) = delete;
    CSymbolGridPicture& operator=(const CSymbolGridPicture&) = delete;

    // Places the host at `rect` and lays out rows x columns cells over it.
    // `symbolIds` holds 16 ids per row, row by row; a row uses its first
    // columns, and an id without a bitmap leaves its cell blank. More than 10
    // rows or 16 columns show "error" and make the grid 10 x 16. No cell is
    // chosen; the grid is drawn but not shown.
    void CreateGrid(const PictureRect& rect, int rows, int columns, std::span<const int> symbolIds,
                    CellHandler onPress, CellHandler onRelease);

    // No cell chosen; nothing is redrawn until the next drawing.
    void ClearChoice();
    // Marks one cell chosen or not and redraws; a position outside the grid changes nothing.
    void Choose(int row, int column, bool chosen);
    // The first chosen cell in row order, or (-1, -1).
    GridPosition GetChoice() const;

    void DrawAll();
    void ShowAll();
    // Drops the symbols, the cells and the host's surface; the grid reports nothing more.
    void Destroy();

    int Rows() const { return layout_.Rows(); }
    int Columns() const { return layout_.Columns(); }

private:
    struct CellContent {
        QImage symbol;
        bool chosen = false;
    };

    void DrawCell(QPainter& painter, const GridCell& cell, const CellContent& content) const;
    void OnMouse(int x, int y, const CellHandler& handler);

    QPointer<COffScreenPicture> host_;
    MessageSink& messages_;
    SymbolGridLayout layout_;
    std::vector<CellContent> cells_;
    CellHandler onPress_;
    CellHandler onRelease_;
};

}  // namespace harkwell
