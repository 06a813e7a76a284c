#pragma once

// A printed page of one case, drawn as a PDF for both front ends: a heading,
// lists of values, a table, notes and a chart. Plain texts in, the page's
// bytes out; every number arrives as the text to print. This header does
// not include Qt.

#include "plot/Plot.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sf {

enum class Paper { A4, Letter };

// A titled list of "label  value" lines, drawn side by side with the others.
struct PageList {
    std::string title;
    std::vector<std::pair<std::string, std::string>> lines;
};

struct PageSpec {
    std::string title;                 // the case's name
    std::vector<std::string> subtitle; // lines under it: path, date and program
    std::vector<PageList> lists;
    std::string tableTitle;
    std::vector<std::string> headings; // each may hold "\n" for a second line
    // Numbers are right-aligned; the last row (the total) is bold.
    std::vector<std::vector<std::string>> rows;
    std::string notesTitle;
    std::vector<std::string> notes; // wrapped to the page's width
    std::optional<PlotSpec> chart;  // in the space left below, as vectors
};

// Draws `spec` on one page of `paper` as a PDF into `pdf`. Returns an empty
// string, or what went wrong for the user. Needs the program's
// QApplication (a program without one: PlotApplication).
std::string drawPage(const PageSpec &spec, Paper paper, std::string &pdf);

} // namespace sf
