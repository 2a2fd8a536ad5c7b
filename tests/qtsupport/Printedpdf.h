#pragma once
// What a page printed to a PDF file holds, read from the file's objects: the number of pages
// and the pixel size of each picture placed on them.

#include <QSize>
#include <regex>
#include <string>
#include <vector>

namespace testsupport {

inline int PdfPageCount(const std::string& pdf)
{
    static const std::regex page(R"(/Type\s*/Page[^s])");
    return int(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

inline std::vector<QSize> PdfImageSizes(const std::string& pdf)
{
    static const std::regex image(R"(/Subtype\s*/Image\s*/Width\s+(\d+)\s*/Height\s+(\d+))");
    std::vector<QSize> sizes;
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), image); it != std::sregex_iterator(); ++it)
        sizes.emplace_back(std::stoi((*it)[1]), std::stoi((*it)[2]));
    return sizes;
}

} // namespace testsupport
