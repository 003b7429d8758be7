#include "area/angular_order.h"

#include <array>
#include <span>

#include "geometry/numeric.h"

namespace pelmic {

void OrderCellVertices(CellVertexTable& cells, int row) {
  const std::int16_t n = cells.VertexCount(row);
  const std::size_t count = static_cast<std::size_t>(n);
  hSort(n, std::span<double>(cells.AngleRow(row)).first(count), std::span<double>(cells.XRow(row)).first(count),
        std::span<double>(cells.YRow(row)).first(count));
}

}  // namespace pelmic
