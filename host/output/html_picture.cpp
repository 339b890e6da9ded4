// html_picture.cpp -- colours for the letters of the matrix picture.
//
// A letter stands for an order of magnitude: Z (1e-6) up to T (0.1) below
// one, "1" about one, A (1 to 10) up to R (1e17) above, "*" beyond, "."
// INFINITY.  Small magnitudes are drawn in blues, one in a light grey,
// large ones from yellow through orange to dark red, so that badly scaled
// rows and columns stand out at a glance.
#include "output/html_picture.h"

#include <cstdio>

namespace qmlp::host::output {
namespace {

std::string esc_cell(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

// Background and text colours of a letter; empty for a blank cell.
struct Shade {
    std::string background;
    bool dark;
};

Shade shade_of(char letter) {
    char buf[32];
    if (letter >= 'T' && letter <= 'Z') {  // Z .. T: 1e-6 .. 1
        const int step = 'Z' - letter;     // 0 (Z) .. 6 (T)
        std::snprintf(buf, sizeof buf, "hsl(215,70%%,%d%%)", 35 + step * 8);
        return {buf, step < 3};
    }
    if (letter == '1') return {"#e8e8e8", false};
    if (letter >= 'A' && letter <= 'R') {  // 1 .. 1e18
        const int step = letter - 'A';     // 0 .. 17
        std::snprintf(buf, sizeof buf, "hsl(%d,85%%,%d%%)", 50 - step * 3, 78 - step * 3);
        return {buf, step > 9};
    }
    if (letter == '*') return {"#5c0000", true};
    if (letter == '.') return {"#c9c9c9", false};
    return {"", false};
}

std::string coloured_td(std::string_view text, char letter, bool negative) {
    const Shade s = shade_of(letter);
    std::string cls = "pic";
    if (negative) cls += " neg";
    if (s.dark) cls += " dark";
    std::string out = "<td class=\"" + cls + "\"";
    if (!s.background.empty()) out += " style=\"background:" + s.background + "\"";
    if (letter != ' ' && letter != '\0') out += " title=\"" + std::string(negative ? "negative, " : "") + letter + "\"";
    return out + ">" + esc_cell(text) + "</td>";
}

}  // namespace

const char* const kPictureStyle =
    "td.pic { font-family: ui-monospace, monospace; text-align: center; min-width: 1.6rem; "
    "border: 1px solid #fff; }\n"
    "td.pic.dark { color: #fff; }\n"
    "td.pic.neg { box-shadow: inset 0 0 0 2px #1a1a1a; font-weight: 600; }\n";

bool is_matrix_picture(std::string_view template_path) { return template_path == "Qm.Lp.MatrixPicture"; }

bool is_matrix_picture_legend(std::string_view template_path) { return template_path == "Qm.Lp.MatrixPictureLegend"; }

std::string picture_td(std::string_view cell) {
    const bool negative = !cell.empty() && cell.front() == '-';
    const char letter = cell.size() >= 2 ? cell[1] : (cell.size() == 1 && cell[0] != '-' ? cell[0] : ' ');
    return coloured_td(cell, letter, negative);
}

std::string legend_td(std::string_view cell) {
    size_t end = cell.size();
    while (end > 0 && cell[end - 1] == ' ') --end;
    const std::string_view text = cell.substr(0, end);
    const char letter = end > 0 && text.find("blank") == std::string_view::npos ? text[end - 1] : ' ';
    return coloured_td(text, letter, false);
}

}  // namespace qmlp::host::output
