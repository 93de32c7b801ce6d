#include "Ground.h"

#include "Plan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace AssetGen
{

namespace
{
// Points of the ground lie on a grid of finest cells and are named by whole numbers of them, so that
// neighbouring cells of different sizes meet in exactly the same points.
const double groundHalf = 28.0;
const double finestCell = 0.875;  // the paving's edges lie on its lines
const int finestCells = 64;       // across the whole ground
const int blockCells = 4;         // a block holds 4 x 4 finest cells, 2 x 2 middle ones or one coarse one
const int blocks = finestCells / blockCells;

double coordinate(int index) { return -groundHalf + finestCell * index; }

// The fen's shapes: where it meets the courtyard, and the pool with its banks. The paving is flat.
bool needsFinestCells(double x, double y)
{
    double outside = outsideCourtyard(x, y);
    return (outside > 0 && outside < 2.0) || poolDistance(x, y) < 2.2;
}

bool blockNeedsFinestCells(int i, int j)
{
    for (int v = 0; v <= blockCells; ++v)
        for (int u = 0; u <= blockCells; ++u)
            if (needsFinestCells(coordinate(i * blockCells + u), coordinate(j * blockCells + v)))
                return true;
    return false;
}

bool besideFinestCells(const std::vector<bool>& finest, int i, int j)
{
    for (int v = std::max(j - 1, 0); v <= std::min(j + 1, blocks - 1); ++v)
        for (int u = std::max(i - 1, 0); u <= std::min(i + 1, blocks - 1); ++u)
            if (finest[v * blocks + u])
                return true;
    return false;
}

// 0 for the finest cells, 1 beside them, 2 elsewhere: neighbouring blocks differ by one level at most,
// so an edge between two levels has one point in its middle.
std::vector<int> blockLevels()
{
    std::vector<bool> finest(blocks * blocks);
    for (int j = 0; j < blocks; ++j)
        for (int i = 0; i < blocks; ++i)
            finest[j * blocks + i] = blockNeedsFinestCells(i, j);
    std::vector<int> levels(blocks * blocks);
    for (int j = 0; j < blocks; ++j)
        for (int i = 0; i < blocks; ++i)
            levels[j * blocks + i] = finest[j * blocks + i] ? 0 : besideFinestCells(finest, i, j) ? 1 : 2;
    return levels;
}

// Outside the grid there is no neighbour to meet: it counts as coarse.
int levelOf(int i, int j)
{
    static const std::vector<int> levels = blockLevels();
    if (i < 0 || j < 0 || i >= blocks || j >= blocks)
        return 2;
    return levels[j * blocks + i];
}

struct Point
{
    int x = 0, y = 0;  // in finest cells from the ground's south-west corner
};

struct Cell
{
    Point low;
    int size = 1;
    // Whether a finer neighbour adds a point in the middle of the south, east, north and west edge.
    std::array<bool, 4> split{};
};

Cell cellOf(int blockI, int blockJ, int i, int j)
{
    int level = levelOf(blockI, blockJ);
    int size = 1 << level;
    int last = blockCells / size - 1;
    Cell cell{{blockI * blockCells + i * size, blockJ * blockCells + j * size}, size, {}};
    cell.split = {j == 0 && levelOf(blockI, blockJ - 1) < level, i == last && levelOf(blockI + 1, blockJ) < level,
                  j == last && levelOf(blockI, blockJ + 1) < level, i == 0 && levelOf(blockI - 1, blockJ) < level};
    return cell;
}

template <typename Visit>
void forEachCell(Visit visit)
{
    for (int blockJ = 0; blockJ < blocks; ++blockJ)
        for (int blockI = 0; blockI < blocks; ++blockI)
        {
            int across = blockCells >> levelOf(blockI, blockJ);
            for (int j = 0; j < across; ++j)
                for (int i = 0; i < across; ++i)
                    visit(cellOf(blockI, blockJ, i, j));
        }
}

using Triangle = std::array<Point, 3>;

// Counter-clockwise seen from above: two triangles, or a fan round the middle when an edge is split.
std::vector<Triangle> triangles(const Cell& cell)
{
    int x0 = cell.low.x, y0 = cell.low.y, x1 = x0 + cell.size, y1 = y0 + cell.size;
    int xm = x0 + cell.size / 2, ym = y0 + cell.size / 2;
    if (std::none_of(cell.split.begin(), cell.split.end(), [](bool split) { return split; }))
        return {Triangle{{{x0, y0}, {x1, y0}, {x1, y1}}}, Triangle{{{x0, y0}, {x1, y1}, {x0, y1}}}};
    const Point corners[4] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    const Point middles[4] = {{xm, y0}, {x1, ym}, {xm, y1}, {x0, ym}};
    std::vector<Point> ring;
    for (int side = 0; side < 4; ++side)
    {
        ring.push_back(corners[side]);
        if (cell.split[side])
            ring.push_back(middles[side]);
    }
    std::vector<Triangle> fan;
    for (std::size_t k = 0; k < ring.size(); ++k)
        fan.push_back({Point{xm, ym}, ring[k], ring[(k + 1) % ring.size()]});
    return fan;
}

Vec3 placed(const Point& point)
{
    double x = coordinate(point.x), y = coordinate(point.y);
    return {x, y, groundHeight(x, y)};
}

Vec3 groundNormal(double x, double y)
{
    const double e = 0.05;
    return Vec3(groundHeight(x - e, y) - groundHeight(x + e, y), groundHeight(x, y - e) - groundHeight(x, y + e), 2 * e)
        .normalized();
}

Corner groundCorner(const Point& point, double tile)
{
    Vec3 position = placed(point);
    Vec3 normal = groundNormal(position.x, position.y);
    Vec3 tangent = (Vec3(1, 0, 0) - normal * normal.x).normalized();
    return {position, normal, tangent, cross(normal, tangent), {position.x / tile, position.y / tile}};
}

bool paved(double x, double y) { return std::fabs(x) < innerHalf && y > pavingSouth && y < innerHalf; }

// The height over (x, y) of the triangle's plane, when (x, y) lies on the triangle.
bool heightOn(const Triangle& triangle, double x, double y, double& height)
{
    Vec3 a = placed(triangle[0]), b = placed(triangle[1]), c = placed(triangle[2]);
    double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    double wb = ((x - a.x) * (c.y - a.y) - (c.x - a.x) * (y - a.y)) / area;
    double wc = ((b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y)) / area;
    const double slack = -1e-9;
    if (wb < slack || wc < slack || wb + wc > 1 - slack)
        return false;
    height = a.z + wb * (b.z - a.z) + wc * (c.z - a.z);
    return true;
}
}

Geometry groundGeometry()
{
    Geometry g{"Ground", false, {}};
    forEachCell([&](const Cell& cell) {
        double middle = cell.size / 2.0;
        bool stone = paved(coordinate(cell.low.x) + middle * finestCell, coordinate(cell.low.y) + middle * finestCell);
        Part& part = g.part(stone ? "paving" : "fen");
        double tile = stone ? 3.0 : 5.0;
        for (const Triangle& triangle : triangles(cell))
            part.addTriangle(groundCorner(triangle[0], tile), groundCorner(triangle[1], tile),
                             groundCorner(triangle[2], tile));
    });
    return g;
}

double groundSurfaceHeight(double x, double y)
{
    int finestX = static_cast<int>(std::floor((x + groundHalf) / finestCell));
    int finestY = static_cast<int>(std::floor((y + groundHalf) / finestCell));
    int blockI = std::clamp(finestX / blockCells, 0, blocks - 1);
    int blockJ = std::clamp(finestY / blockCells, 0, blocks - 1);
    int size = 1 << levelOf(blockI, blockJ);
    int across = blockCells / size;
    int i = std::clamp((finestX - blockI * blockCells) / size, 0, across - 1);
    int j = std::clamp((finestY - blockJ * blockCells) / size, 0, across - 1);
    double height = 0;
    for (const Triangle& triangle : triangles(cellOf(blockI, blockJ, i, j)))
        if (heightOn(triangle, x, y, height))
            return height;
    return groundHeight(x, y);
}

}
