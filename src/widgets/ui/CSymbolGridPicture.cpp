#include "widgets/ui/CSymbolGridPicture.h"

#include "common/ErrorReport.h"
#include "widgets/ui/CBitmapResources.h"

#include <QPainter>

#include <array>

namespace harkwell {

namespace {

constexpr std::uint32_t kCellColour = 0x000000;
constexpr std::uint32_t kChosenCellColour = 0x202000;

}  // namespace

CSymbolGridPicture::CSymbolGridPicture(COffScreenPicture& host, MessageSink& messages)
    : host_(&host), messages_(messages)
{
}

CSymbolGridPicture::~CSymbolGridPicture()
{
    // The host may outlive the grid; its callbacks must not reach a grid that is gone.
    if (host_) host_->SetCallbacks({});
}

void CSymbolGridPicture::CreateGrid(const PictureRect& rect, int rows, int columns, std::span<const int> symbolIds,
                                    CellHandler onPress, CellHandler onRelease)
{
    if (!host_) return;
    const FittedGridSize fitted = FitGridSize(rows, columns);
    if (fitted.refused) ShowPlainMessage(messages_, "error");

    onPress_ = std::move(onPress);
    onRelease_ = std::move(onRelease);
    PictureCallbacks callbacks;
    callbacks.onLButtonDown = [this](int x, int y, int) { OnMouse(x, y, onPress_); };
    callbacks.onLButtonUp = [this](int x, int y, int) { OnMouse(x, y, onRelease_); };
    host_->CreateOffScreen(rect, std::move(callbacks));

    layout_ = SymbolGridLayout(rect.Width(), rect.Height(), fitted.size);
    cells_.assign(static_cast<std::size_t>(layout_.Rows() * layout_.Columns()), {});
    for (int row = 0; row < layout_.Rows(); ++row) {
        for (int column = 0; column < layout_.Columns(); ++column) {
            const std::optional<int> id = SymbolIdAt(symbolIds, row, column);
            if (id) cells_[layout_.Index(row, column)].symbol = LoadBitmapResource(*id);
        }
    }
    host_->SetTag(kIndex);
    DrawAll();
}

void CSymbolGridPicture::ClearChoice()
{
    for (CellContent& cell : cells_) cell.chosen = false;
}

void CSymbolGridPicture::Choose(int row, int column, bool chosen)
{
    if (!layout_.Contains(row, column)) return;
    cells_[layout_.Index(row, column)].chosen = chosen;
    DrawAll();
}

GridPosition CSymbolGridPicture::GetChoice() const
{
    for (int row = 0; row < layout_.Rows(); ++row)
        for (int column = 0; column < layout_.Columns(); ++column)
            if (cells_[layout_.Index(row, column)].chosen) return {row, column};
    return {};
}

void CSymbolGridPicture::DrawAll()
{
    if (!host_ || host_->Surface().isNull()) return;
    QPainter painter(&host_->Surface());
    for (int row = 0; row < layout_.Rows(); ++row)
        for (int column = 0; column < layout_.Columns(); ++column)
            DrawCell(painter, layout_.Cell(row, column), cells_[layout_.Index(row, column)]);
}

void CSymbolGridPicture::DrawCell(QPainter& painter, const GridCell& cell, const CellContent& content) const
{
    const QRect area(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top);
    if (area.isEmpty()) return;
    painter.fillRect(area, ColourFromBgr(content.chosen ? kChosenCellColour : kCellColour));
    if (!content.symbol.isNull()) {
        // Exclusive-or: light symbols on black show as drawn, on the chosen colour tinted.
        // A symbol larger than its cell is cut at the cell's edges.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.drawImage(area.topLeft(), content.symbol, QRect(QPoint(0, 0), area.size()));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    // The frame in the surface's plain black pen sets a chosen cell off from its neighbours.
    painter.setPen(QPen(Qt::black, 0));
    const std::array<QPoint, 5> frame{QPoint(cell.left, cell.top), QPoint(cell.left, cell.bottom - 1),
                                      QPoint(cell.right - 1, cell.bottom - 1), QPoint(cell.right - 1, cell.top),
                                      QPoint(cell.left, cell.top)};
    painter.drawPolyline(frame.data(), static_cast<int>(frame.size()));
}

void CSymbolGridPicture::ShowAll()
{
    if (host_) host_->ShowOffScreen();
}

void CSymbolGridPicture::Destroy()
{
    cells_.clear();
    layout_ = SymbolGridLayout();
    onPress_ = nullptr;
    onRelease_ = nullptr;
    if (host_) {
        host_->SetCallbacks({});
        host_->ReleaseOffScreen();
    }
}

void CSymbolGridPicture::OnMouse(int x, int y, const CellHandler& handler)
{
    DrawAll();
    const std::optional<GridPosition> hit = layout_.HitTest(x, y);
    if (!hit || !handler) return;
    // A copy: the handler may rebuild the grid, which replaces the stored one.
    const CellHandler call = handler;
    call(hit->row, hit->column);
}

}  // namespace harkwell
