// parametric_chart.cpp -- objective against phi as an inline SVG line
// chart: the breakpoints joined by straight pieces (between two breakpoints
// one basis is optimal, so the objective is linear there), each marked,
// with the ends of both axes written at the axes.
#include "output/parametric_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "host_api.h"

namespace qmlp::host::output {
namespace {

constexpr double kWidth = 320.0;
constexpr double kHeight = 200.0;
constexpr double kLeft = 64.0;  // room for the objective's labels
constexpr double kRight = 12.0;
constexpr double kTop = 12.0;
constexpr double kBottom = 34.0;  // room for phi's labels

int column_index(const Table& t, const char* name) {
    for (size_t k = 0; k < t.columns.size(); ++k)
        if (t.columns[k].name == name) return static_cast<int>(k);
    return -1;
}

bool finite_number(const Cell& c) {
    return c.kind == Cell::Kind::Double && missing_letter(c.d) == 0 && std::isfinite(c.d);
}

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string coordinate(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

// Maps [low, high] onto [from, to]; a single value goes to the middle.
double place(double v, double low, double high, double from, double to) {
    if (high <= low) return 0.5 * (from + to);
    return from + (v - low) / (high - low) * (to - from);
}

std::string text(double x, double y, const char* anchor, const std::string& s) {
    return "<text x=\"" + coordinate(x) + "\" y=\"" + coordinate(y) + "\" text-anchor=\"" + anchor + "\">" + s +
           "</text>";
}

}  // namespace

std::string parametric_chart_svg(const Table& t) {
    if (t.name != "PriceParametricLog" && t.name != "RhsParametricLog") return "";
    const int objective = column_index(t, "ObjValue");
    const int phi = column_index(t, "CurrentPhi");
    if (objective < 0 || phi < 0) return "";
    std::vector<std::pair<double, double>> points;
    for (const auto& row : t.rows) {
        const size_t need = static_cast<size_t>(std::max(objective, phi));
        if (row.size() <= need || !finite_number(row[phi]) || !finite_number(row[objective])) continue;
        points.push_back({row[phi].d, row[objective].d});
    }
    if (points.empty()) return "";
    double x_low = points[0].first, x_high = x_low, y_low = points[0].second, y_high = y_low;
    for (const auto& [x, y] : points) {
        x_low = std::min(x_low, x);
        x_high = std::max(x_high, x);
        y_low = std::min(y_low, y);
        y_high = std::max(y_high, y);
    }
    const double left = kLeft, right = kWidth - kRight, top = kTop, bottom = kHeight - kBottom;
    std::string path;
    std::string marks;
    for (const auto& [x, y] : points) {
        const std::string px = coordinate(place(x, x_low, x_high, left, right));
        const std::string py = coordinate(place(y, y_low, y_high, bottom, top));
        path += (path.empty() ? "" : " ") + px + "," + py;
        marks += "<circle cx=\"" + px + "\" cy=\"" + py + "\" r=\"3\"><title>phi " + number(x) + ", objective " +
                 number(y) + "</title></circle>";
    }
    std::string svg = "<svg class=\"parametric-chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      coordinate(kWidth) + "\" height=\"" + coordinate(kHeight) + "\" viewBox=\"0 0 " +
                      coordinate(kWidth) + " " + coordinate(kHeight) +
                      "\" role=\"img\" aria-label=\"Objective against phi\">"
                      "<title>Objective against phi</title>";
    svg += "<g class=\"axes\" stroke=\"#5b6474\" fill=\"none\"><polyline points=\"" + coordinate(left) + "," +
           coordinate(top) + " " + coordinate(left) + "," + coordinate(bottom) + " " + coordinate(right) + "," +
           coordinate(bottom) + "\"/></g>";
    svg += "<g class=\"labels\" font-size=\"10\" fill=\"#5b6474\">";
    svg += text(left, bottom + 14, "start", number(x_low)) + text(right, bottom + 14, "end", number(x_high)) +
           text(0.5 * (left + right), bottom + 28, "middle", "phi");
    svg += text(left - 4, bottom, "end", number(y_low)) + text(left - 4, top + 8, "end", number(y_high)) +
           text(left - 4, 0.5 * (top + bottom), "end", "Objective");
    svg += "</g>";
    svg += "<polyline class=\"walk\" fill=\"none\" stroke=\"#2f5d8a\" stroke-width=\"2\" points=\"" + path + "\"/>";
    svg += "<g class=\"breakpoints\" fill=\"#2f5d8a\">" + marks + "</g></svg>\n";
    return svg;
}

}  // namespace qmlp::host::output
