#pragma once
// The publisher's tool: writes and checks an edition's settings file and
// packs its skin, without the program.
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "branding/TBrandDocument.h"

namespace halvane {

// Runs one command line (without the program name); returns the exit status:
// 0 done, 1 failed (a message on err), 2 wrong usage.
int RunBrandTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// The complete, commented example document that "template" prints.
std::string_view BrandTemplate();

// What "show" prints for a chosen document and its LastNewsId value.
std::string FormatBrandReport(const TBrandDocument& document, std::string_view lastNewsId);
void WriteBrandReport(std::ostream& report, const TBrandDocument& document, std::string_view lastNewsId);

}  // namespace halvane
