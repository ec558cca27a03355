#include "cli/ReportHtml.h"

#include "cli/Output.h"
#include "jobs/SubjectReportText.h"

namespace kiv::cli {
namespace {

const char kStyle[] =
    "body{font-family:Arial,Helvetica,sans-serif;font-size:11pt;margin:2em;color:#000;background:#fff}\n"
    "h1{font-size:16pt;margin-bottom:.2em}\n"
    "h2{font-size:13pt;margin:1.4em 0 .3em;border-bottom:1px solid #888}\n"
    "table{border-collapse:collapse;width:100%}\n"
    "th,td{text-align:left;vertical-align:top;padding:2px 8px;border-bottom:1px solid #ddd}\n"
    "td.heure{white-space:nowrap;width:4em}\n"
    "td.type{white-space:nowrap;width:6em}\n"
    "td.ligne{word-break:break-all}\n"
    "tr.mot td{background:#fdf1dc}\n"
    "p.total{margin:.3em 0 0;font-style:italic}\n"
    "p.erreurs,ul.erreurs{color:#a00000}\n"
    "@media print{\n"
    "@page{size:A4 portrait;margin:15mm}\n"
    "body{margin:0;font-size:9pt}\n"
    "h2{break-after:avoid;page-break-after:avoid}\n"
    "tr{break-inside:avoid;page-break-inside:avoid}\n"
    "thead{display:table-header-group}\n"
    "tr.mot td{background:none}\n"
    "}\n";

std::string Time(const ReportEntry& entry)
{
    return entry.time.empty() ? std::string() : entry.time.substr(0, 2) + "h" + entry.time.substr(2);
}

void AppendDay(const ReportDay& day, const SubjectReportRequest& request, std::string& page)
{
    page += "<h2>Le " + FrenchDate(day.date) + "</h2>\n<table>\n<thead><tr><th>Heure</th><th>Type</th><th>D\xE9tail</th></tr></thead>\n<tbody>\n";
    for (const ReportEntry& entry : day.entries) {
        if (entry.kind == ReportEntry::Kind::Session) {
            page += "<tr class=\"connexion\"><td class=\"heure\">" + HtmlText(Time(entry))
                + "</td><td class=\"type\">Connexion</td><td class=\"ligne\">"
                + HtmlText(ReportSessionText(entry, request.headerRow)) + "</td></tr>\n";
            continue;
        }
        const KeywordSearchResult& r = entry.result;
        const std::string_view line = r.line;
        page += "<tr class=\"mot\"><td class=\"heure\">" + HtmlText(Time(entry))
            + "</td><td class=\"type\">Mot</td><td class=\"ligne\">";
        if (r.boldLength > 0) {
            page += HtmlText(line.substr(0, r.boldStart)) + "<b>" + HtmlText(line.substr(r.boldStart, r.boldLength))
                + "</b>" + HtmlText(line.substr(r.boldStart + r.boldLength));
        } else {
            page += HtmlText(line);
        }
        page += "</td></tr>\n";
    }
    page += "</tbody>\n</table>\n<p class=\"total\">Total du jour : " + HtmlText(ReportTallyText(day.tally, request.words))
        + "</p>\n";
}

} // namespace

std::string HtmlText(std::string_view cp1252)
{
    std::string out;
    out.reserve(cp1252.size());
    for (char c : cp1252) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            // The C0 controls, DEL and the bytes that Windows-1252 leaves
            // undefined (shown as C1 controls) are not text in HTML.
            if ((byte < 0x20 && c != '\t') || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F
                || byte == 0x90 || byte == 0x9D)
                out += "&#xFFFD;";
            else
                out += c;
        }
    }
    return out;
}

std::string ReportHtml(const SubjectReportRequest& request, const std::vector<ReportDay>& days,
                       const SubjectReportResult& result, Encoding encoding)
{
    const std::string title = HtmlText("Rapport : " + ReportTitle(request));
    std::string page = "<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"";
    page += encoding == Encoding::Utf8 ? "utf-8" : "windows-1252";
    page += "\">\n<title>" + title + "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n";
    page += "<h1>" + title + "</h1>\n<p>" + HtmlText(ReportWordsLine(request.words)) + "</p>\n";
    if (!result.outcome.errors.empty()) {
        page += "<p class=\"erreurs\">Rapport incomplet : des logs n'ont pas pu \xEAtre lus.</p>\n<ul class=\"erreurs\">\n";
        for (const std::string& error : result.outcome.errors)
            page += "<li>" + HtmlText(error) + "</li>\n";
        page += "</ul>\n";
    }
    if (days.empty())
        page += "<p>Aucune connexion et aucun mot surveill\xE9 sur la p\xE9riode.</p>\n";
    for (const ReportDay& day : days)
        AppendDay(day, request, page);
    page += "<h2>Total</h2>\n<p>Sur " + std::to_string(result.dayCount) + (result.dayCount > 1 ? " jours : " : " jour : ")
        + HtmlText(ReportTallyText(result.total, request.words)) + "</p>\n</body>\n</html>\n";
    return Encode(page, encoding);
}

} // namespace kiv::cli
