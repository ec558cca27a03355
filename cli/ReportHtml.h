#pragma once
// The report as one page of HTML that the staff can mail to the head teacher
// and print from any browser: no script, nothing fetched from elsewhere, a
// style for paper, the watched words in bold. Everything that comes from a
// log is escaped: a log line is never markup.

#include "jobs/SubjectReport.h"
#include "logscan/VisibleControls.h" // Encoding

#include <string>
#include <string_view>
#include <vector>

namespace kiv::cli {

// Log text (Windows-1252) as HTML text: & < > " ' as references, and the
// control characters, which HTML does not allow, as U+FFFD.
std::string HtmlText(std::string_view cp1252);

// The whole page, in the encoding it declares (UTF-8 or Windows-1252).
std::string ReportHtml(const SubjectReportRequest& request, const std::vector<ReportDay>& days,
                       const SubjectReportResult& result, Encoding encoding);

} // namespace kiv::cli
