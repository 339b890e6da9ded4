// html_picture.h -- the matrix picture as a coloured grid in the HTML report.
#pragma once

#include <string>
#include <string_view>

namespace qmlp::host::output {

// Whether a table of this template is drawn as a coloured grid (the picture)
// or has coloured letter cells (its legend).
bool is_matrix_picture(std::string_view template_path);
bool is_matrix_picture_legend(std::string_view template_path);

// A picture cell ("-A", " 1", "  ", ...) as a table cell coloured by its order
// of magnitude, a negative one marked.
std::string picture_td(std::string_view cell);

// A legend cell holding a letter (" blank", "     Z", ...) coloured like the
// picture's cells of that letter.
std::string legend_td(std::string_view cell);

// Style rules the grid needs.
extern const char* const kPictureStyle;

}  // namespace qmlp::host::output
