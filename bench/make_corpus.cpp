// kivlogs-gen: writes made-up logs of the school's Torvel server, for the
// bundled examples and for the benchmarks.
//
//   kivlogs-gen examples DIR [--seed N]
//   kivlogs-gen year DIR [--files 365] [--size-mb 1] [--seed N]
//   kivlogs-gen busyday DIR [--lines 1000000] [--users 3000] [--date YYYY-MM-DD] [--seed N]
//
// The same seed gives the same bytes on every system: the random numbers come
// from a small generator of our own, not from <random>'s distributions, whose
// results differ between standard libraries. All text is Windows-1252.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;
using std::chrono::year_month_day;

namespace {

constexpr std::uint64_t kDefaultSeed = 20261201;

// ---------------------------------------------------------------------------
// Random numbers: splitmix64, reproducible everywhere.

class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // A number from 0 to n - 1.
    std::uint32_t Below(std::size_t n)
    {
        return static_cast<std::uint32_t>(((Next() >> 32) * static_cast<std::uint64_t>(n)) >> 32);
    }

    int Between(int lo, int hi) { return lo + static_cast<int>(Below(static_cast<std::size_t>(hi - lo + 1))); }

    bool PerThousand(int p) { return Below(1000) < static_cast<std::uint32_t>(p); }

    template <class T>
    const T& Pick(const std::vector<T>& items)
    {
        return items[Below(items.size())];
    }

private:
    std::uint64_t state_;
};

// An independent stream for each file, so that one day's log does not change
// when another day's generation changes.
Rng StreamFor(std::uint64_t seed, std::uint64_t tag, std::uint64_t index)
{
    Rng mixer(seed ^ (tag * 0x9E3779B97F4A7C15ull) ^ (index * 0xD1B54A32D192ED03ull));
    return Rng(mixer.Next());
}

// ---------------------------------------------------------------------------
// Dates and times.

year_month_day ParseDate(std::string_view text)
{
    int y = 0, m = 0, d = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        std::sscanf(std::string(text).c_str(), "%4d-%2d-%2d", &y, &m, &d) != 3) {
        throw std::runtime_error("expected a date as YYYY-MM-DD: " + std::string(text));
    }
    year_month_day ymd{std::chrono::year(y), std::chrono::month(static_cast<unsigned>(m)),
                       std::chrono::day(static_cast<unsigned>(d))};
    if (!ymd.ok()) throw std::runtime_error("no such date: " + std::string(text));
    return ymd;
}

void AppendTwoDigits(std::string& out, int value)
{
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

// ddmmyy, the date fragment of the log file names and of the lines.
std::string DayKey(const year_month_day& ymd)
{
    std::string key;
    AppendTwoDigits(key, static_cast<int>(static_cast<unsigned>(ymd.day())));
    AppendTwoDigits(key, static_cast<int>(static_cast<unsigned>(ymd.month())));
    AppendTwoDigits(key, static_cast<int>(ymd.year()) % 100);
    return key;
}

year_month_day AddDays(const year_month_day& ymd, int days)
{
    return year_month_day{std::chrono::sys_days(ymd) + std::chrono::days(days)};
}

unsigned IsoWeekday(const year_month_day& ymd) // 1 = Monday .. 7 = Sunday
{
    return std::chrono::weekday(std::chrono::sys_days(ymd)).iso_encoding();
}

constexpr int Hm(int h, int m) { return (h * 60 + m) * 60; } // seconds since midnight

void AppendHhmm(std::string& out, int second)
{
    AppendTwoDigits(out, second / 3600);
    AppendTwoDigits(out, second / 60 % 60);
}

void AppendHhmmss(std::string& out, int second)
{
    AppendHhmm(out, second);
    AppendTwoDigits(out, second % 60);
}

// ---------------------------------------------------------------------------
// Text of the keyword logs: pages that pupils open through the server's proxy.

// The watched words, in the order of the built-in list.
const std::vector<std::string_view> kWatchedWords = {
    "sexe", "sexy", "enculer", "bites", "seins nu", "femme nu", "femmes nu"};

// For each watched word, what a page title or a search really contains.
const std::vector<std::vector<std::string_view>> kWatchedPhrases = {
    {"sexe", "le sexe et les ados", "sexe gratuit"},
    {"sexy", "filles sexy", "photo sexy"},
    {"va te faire enculer", "enculer"},
    {"dessins de bites", "bites"},
    {"seins nus", "seins nus plage"},
    {"femme nue", "photo femme nue"},
    {"femmes nues", "femmes nues plage"},
};

const std::vector<std::string_view> kQueries = {
    "expos\xE9 volcans",
    "r\xE9volution fran\xE7" "aise 1789",
    "th\xE9or\xE8me de pythagore",
    "recette cr\xEApes",
    "conjugaison verbe aller",
    "photosynth\xE8se",
    "guerre de 14-18",
    "carte de france des r\xE9gions",
    "traduction anglais fran\xE7" "ais",
    "jeux flash gratuits",
    "horaires bus ligne 12",
    "r\xE9sum\xE9 le horla maupassant",
    "paroles chanson",
    "fond d'\xE9" "cran",
    "brevet des coll\xE8ges sujets",
    "stage de 3e entreprise",
    "mangas \xE0 lire en ligne",
    "football ligue 1 r\xE9sultats",
    "code de la route gratuit",
    "lyc\xE9" "e jean moulin",
    "calculatrice en ligne",
    "capitale de l'australie",
    "\xE9quation du second degr\xE9",
    "la fontaine fables",
    "syst\xE8me solaire plan\xE8tes",
    "pr\xE9sent de l'indicatif",
    "d\xE9" "finition d\xE9mocratie",
    "cours de fran\xE7" "ais 2nde",
};

const std::vector<std::string_view> kArticles = {
    "R\xE9volution fran\xE7" "aise",
    "Volcan",
    "Photosynth\xE8se",
    "Napol\xE9on Ier",
    "Premi\xE8re Guerre mondiale",
    "Syst\xE8me solaire",
    "Victor Hugo",
    "\xC9mile Zola",
    "Th\xE9or\xE8me de Pythagore",
    "Jules C\xE9sar",
    "Union europ\xE9" "enne",
    "Guy de Maupassant",
    "Moyen \xC2ge",
    "Cellule (biologie)",
    "Ch\xE2teau de Versailles",
};

const std::vector<std::string_view> kPages = {
    "http://www.education.gouv.fr/ Minist\xE8re de l'\xC9" "ducation nationale",
    "http://www.pronote.net/lycee/eleve.html PRONOTE - Espace \xE9l\xE8ves",
    "http://www.meteofrance.com/previsions/ M\xE9t\xE9o-France - Pr\xE9visions",
    "http://www.lequipe.fr/Football/ L'\xC9quipe.fr - Football",
    "http://www.larousse.fr/dictionnaires/francais/ Dictionnaire de fran\xE7" "ais Larousse",
    "http://www.lemonde.fr/international/ Le Monde.fr - International",
    "http://www.skyrock.com/blog/ Skyrock.com - Blogs",
    "http://www.allocine.fr/film/agenda/ Allocin\xE9 - Films \xE0 l'affiche",
    "http://www.onisep.fr/Choisir-mes-etudes Onisep - Choisir mes \xE9tudes",
    "http://www.cned.fr/ CNED - Centre national d'enseignement \xE0 distance",
    "http://mail.laposte.net/webmail/ Messagerie - La Poste",
    "http://www.msn.fr/ MSN France - Accueil",
    "http://www.jeuxvideo.com/forums/0-51-0-1-0-1-0-blabla-15-18-ans.htm Forum Blabla 15-18 ans - jeuxvideo.com",
    "http://www.deezer.com/fr/ Deezer - \xC9" "coutez de la musique gratuitement",
    "http://www.ac-versailles.fr/ Acad\xE9mie de Versailles",
    "http://www.lyceejeanmoulin.fr/cdi/ Lyc\xE9" "e Jean Moulin - Le CDI",
    "http://www.bibmath.net/ BibM@th, la biblioth\xE8que des math\xE9matiques",
    "http://www.maxicours.com/ Maxicours - Cours et exercices en ligne",
    "http://www.ratp.fr/itineraires/ RATP - Calcul d'itin\xE9raire",
    "http://www.leboncoin.fr/ Leboncoin, site de petites annonces gratuites",
};

const std::vector<std::string_view> kVideos = {
    "Clip officiel",
    "Cours de maths : les fractions",
    "Top 10 des plus beaux buts",
    "Tuto dessin manga",
    "Bande-annonce VF",
    "Exp\xE9rience de chimie au lyc\xE9" "e",
    "Le r\xE9sum\xE9 du match",
    "Rap fran\xE7" "ais 2006",
};

const std::vector<std::string_view> kResources = {
    "http://www.google.fr/images/nav_logo.png",
    "http://static.lemonde.fr/img/logo_lemonde.gif",
    "http://s.skyrock.com/css/main.css",
    "http://pagead2.googlesyndication.com/pagead/show_ads.js",
    "http://fr.wikipedia.org/skins-1.5/common/wikibits.js",
    "http://www.pronote.net/img/fond.jpg",
    "http://i.ytimg.com/vi/default.jpg",
    "http://www.msn.fr/favicon.ico",
};

const std::vector<std::string_view> kFirstNames = {
    "kevin", "sarah", "mehdi", "julie", "thomas", "ines", "lucas", "manon"};

// ASCII-only upper-casing, as the tool compares words.
std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool HasWatchedWord(std::string_view text)
{
    const std::string line = Upper(text);
    for (std::string_view word : kWatchedWords)
        if (line.find(Upper(word)) != std::string::npos) return true;
    return false;
}

// The pools of ordinary text must never contain a watched word by accident,
// or the number of results would no longer be what the generator planned.
void CheckPools()
{
    for (const auto* pool : {&kQueries, &kArticles, &kPages, &kVideos, &kResources, &kFirstNames})
        for (std::string_view text : *pool)
            if (HasWatchedWord(text))
                throw std::logic_error("ordinary text holds a watched word: " + std::string(text));
}

// Percent-encoding of a search or an article name, the way browsers send
// them: UTF-8 bytes; the Windows-1252 letters used here are all in Latin-1.
std::string UrlEncode(std::string_view text, char space)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        auto percent = [&](unsigned v) {
            out += '%';
            out += kHex[v >> 4];
            out += kHex[v & 15];
        };
        if (b == ' ') {
            out += space;
        } else if (b >= 0x80) {
            percent(0xC0 | (b >> 6));
            percent(0x80 | (b & 0x3F));
        } else if (b == '\'' || b == '&' || b == '?' || b == '(' || b == ')' || b == '@') {
            percent(b);
        } else {
            out += ch;
        }
    }
    return out;
}

// Video and session ids. No letter e or s: every watched word has one of
// them, so an id never spells one by chance.
std::string RandomId(Rng& rng, int length)
{
    static constexpr std::string_view kChars = "ABCDFGHIJKLMNOPQRTUVWXYZabcdfghijklmnopqrtuvwxyz0123456789_";
    std::string id;
    for (int i = 0; i < length; ++i) id += kChars[rng.Below(kChars.size())];
    return id;
}

// Lower case, capitalised, upper case or mixed: pupils type all of them.
std::string VaryCase(Rng& rng, std::string_view phrase)
{
    std::string out(phrase);
    const std::uint32_t style = rng.Below(4);
    for (std::size_t i = 0; i < out.size(); ++i) {
        char& c = out[i];
        if (c < 'a' || c > 'z') continue;
        const bool up = style == 2 || (style == 1 && i == 0) || (style == 3 && rng.Below(2) == 0);
        if (up) c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string OrdinaryRest(Rng& rng)
{
    std::string rest;
    const std::uint32_t kind = rng.Below(100);
    if (kind < 25) {
        std::string_view q = rng.Pick(kQueries);
        rest = "http://www.google.fr/search?hl=fr&q=" + UrlEncode(q, '+') + " " + std::string(q) +
               " - Recherche Google";
    } else if (kind < 40) {
        std::string_view a = rng.Pick(kArticles);
        rest = "http://fr.wikipedia.org/wiki/" + UrlEncode(a, '_') + " " + std::string(a) +
               " \x97 Wikip\xE9" "dia";
    } else if (kind < 70) {
        rest = rng.Pick(kPages);
    } else if (kind < 80) {
        rest = "http://www.youtube.com/watch?v=" + RandomId(rng, 11) + " " + std::string(rng.Pick(kVideos)) +
               " - YouTube";
    } else {
        rest = std::string(rng.Pick(kResources)) + "?t=" + std::to_string(rng.Below(100000));
    }
    return rest;
}

// A page whose title or search holds watched word number `word`.
std::string WatchedRest(Rng& rng, std::size_t word)
{
    const std::string phrase = VaryCase(rng, rng.Pick(kWatchedPhrases[word]));
    switch (rng.Below(5)) {
    case 0:
        return "http://www.google.fr/search?hl=fr&q=" + UrlEncode(phrase, '+') + " " + phrase +
               " - Recherche Google";
    case 1:
        return "http://images.google.fr/images?q=" + UrlEncode(phrase, '+') + "&hl=fr " + phrase +
               " - Recherche d'images Google";
    case 2:
        return "http://www.skyrock.com/blog/" + std::string(rng.Pick(kFirstNames)) + std::to_string(rng.Below(100)) +
               ".html Le blog de " + std::string(rng.Pick(kFirstNames)) + " : " + phrase + " lol";
    case 3:
        return "http://www.jeuxvideo.com/forums/1-51-" + std::to_string(rng.Between(1000000, 9999999)) +
               "-1-0-1-0-0.htm Sujet : " + phrase + " !!! - Forum Blabla 15-18 ans";
    default:
        return "http://www.dailymotion.com/video/x" + RandomId(rng, 6) + " " + phrase + " - Vid\xE9o Dailymotion";
    }
}

// One keyword log line: computer, pupil, ddmmyy, hhmm, the page; CR LF.
void AppendKeywordLine(std::string& out, std::string_view computer, std::string_view pupil,
                       std::string_view dayKey, int second, std::string_view rest)
{
    out += computer;
    out += ':';
    out += pupil;
    out += ':';
    out += dayKey;
    out += ':';
    AppendHhmm(out, second);
    out += ':';
    out += rest;
    out += "\r\n";
}

std::string Computer(int number)
{
    std::string name = "POSTE";
    AppendTwoDigits(name, number);
    return name;
}

// ---------------------------------------------------------------------------
// Files.

void WriteFile(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// A list file as the tool's dialogs write it: CR LF between lines, none after
// the last.
std::string JoinLines(const std::vector<std::string_view>& lines)
{
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += "\r\n";
        out += lines[i];
    }
    return out;
}

struct Totals {
    std::size_t files = 0;
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
    std::uint64_t watchedLines = 0;
};

void Report(std::string_view what, const Totals& t)
{
    std::cout << what << ": " << t.files << " files, " << t.bytes << " bytes, " << t.lines << " lines";
    if (t.watchedLines) std::cout << ", " << t.watchedLines << " lines with a watched word";
    std::cout << '\n';
}

// ---------------------------------------------------------------------------
// The school of the examples: five rooms, six classes, a few teachers.

struct Room {
    std::string_view name;
    int stations;
};

const std::vector<Room> kExampleRooms = {{"S514", 12}, {"S302", 10}, {"S502", 12}, {"SPROF", 4}, {"SCDI", 8}};

const std::vector<std::string_view> kSlotHeaders = {"08h25", "09h20", "10h30", "11h25",
                                                    "12h35", "14h00", "15h00", "17h00"};
constexpr std::array<int, 8> kSlotStart = {Hm(8, 25), Hm(9, 20),  Hm(10, 30), Hm(11, 25),
                                           Hm(12, 35), Hm(14, 0), Hm(15, 0),  Hm(17, 0)};
constexpr std::array<int, 8> kSlotEnd = {Hm(9, 20),  Hm(10, 15), Hm(11, 25), Hm(12, 20),
                                         Hm(13, 30), Hm(14, 55), Hm(15, 55), Hm(17, 30)};

const std::vector<std::string_view> kClasses = {"2NDE1", "2NDE3", "1S2", "1ES1", "TS1", "TL2"};

const std::vector<std::string_view> kTeachers = {"prof.bernard", "prof.dupr\xE9", "prof.lef\xE8vre",
                                                 "prof.m\xFCller", "prof.garcia"};

struct Pupil {
    std::string name;
    std::size_t classIndex;
};

// Pupils eleve01 to eleve150 in blocks of 25 per class, a few of them with
// their first name (accented) instead of a number. eleve123 joins eleve12's
// class: a login of eleve12 then meets eleve123's logout later in the same
// lesson, the case where one user name is part of another.
std::vector<Pupil> MakePupils()
{
    const std::vector<std::string_view> named = {"h\xE9l\xE8ne.m", "fran\xE7ois.d", "j\xE9r\xF4me.l",
                                                 "chlo\xE9.b", "no\xE9mie.t", "ana\xEFs.r", "c\xE9line.p"};
    std::vector<Pupil> pupils;
    for (int n = 1; n <= 150; ++n) {
        std::size_t cls = static_cast<std::size_t>(n - 1) / 25;
        if (n == 123) cls = 0;
        if (n == 25) cls = 4;
        std::string name = "eleve";
        if (n < 100) AppendTwoDigits(name, n);
        else name += std::to_string(n);
        if (n % 21 == 0) name = std::string(named[static_cast<std::size_t>(n / 21 - 1) % named.size()]);
        pupils.push_back({name, cls});
    }
    return pupils;
}

struct Event {
    int second;
    std::uint32_t seq; // order of creation: keeps equal times in a stable order
    std::string line;
};

void SortEvents(std::vector<Event>& events)
{
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.second != b.second ? a.second < b.second : a.seq < b.seq;
    });
}

std::string StationName(int number)
{
    std::string name = "PC";
    AppendTwoDigits(name, number);
    return name;
}

// Room-station:user:ddmmyy:hhmmss:kind:address:detail:domain:class
std::string ConnectionLine(std::string_view room, int station, std::string_view user, std::string_view dayKey,
                           int second, std::string_view kind, std::size_t roomIndex, std::string_view detail,
                           std::string_view tail)
{
    std::string line;
    line.reserve(80);
    line += room;
    line += '-';
    line += StationName(station);
    line += ':';
    line += user;
    line += ':';
    line += dayKey;
    line += ':';
    AppendHhmmss(line, second);
    line += ':';
    line += kind;
    line += ":10.";
    line += std::to_string(roomIndex / 200 + 1);
    line += '.';
    line += std::to_string(roomIndex % 200 + 1);
    line += '.';
    line += std::to_string(station);
    line += ':';
    line += detail;
    line += ":TORVEL:";
    line += tail;
    return line;
}

class ConnectionDay {
public:
    ConnectionDay(std::string dayKey) : dayKey_(std::move(dayKey)) {}

    void Add(std::size_t roomIndex, std::string_view room, int station, std::string_view user, int second,
             std::string_view kind, std::string_view tail)
    {
        std::string detail = "WINXP";
        if (kind == "print") detail = "HP2200-" + std::string(room);
        else if (kind == "share") detail = "\\\\TORVEL\\commun";
        events_.push_back(
            {second, seq_++, ConnectionLine(room, station, user, dayKey_, second, kind, roomIndex, detail, tail)});
    }

    // A session: login, perhaps a print-out, and a logout unless the pupil
    // just walked away (the server then never writes one).
    void Session(Rng& rng, std::size_t roomIndex, std::string_view room, int station, std::string_view user,
                 int login, int logout, bool withLogout, std::string_view tail)
    {
        Add(roomIndex, room, station, user, login, "login", tail);
        if (rng.PerThousand(150) && logout - login > 120)
            Add(roomIndex, room, station, user, login + rng.Between(60, logout - login - 30), "print", tail);
        if (withLogout) Add(roomIndex, room, station, user, logout, "logout", tail);
    }

    std::string Bytes()
    {
        SortEvents(events_);
        std::string out;
        for (const Event& e : events_) {
            out += e.line;
            out += "\r\n";
        }
        return out;
    }

    std::size_t Count() const { return events_.size(); }

private:
    std::string dayKey_;
    std::vector<Event> events_;
    std::uint32_t seq_ = 0;
};

// One school day in the five rooms. Saturday has lessons in the morning only.
std::string ExampleConnections(Rng& rng, const year_month_day& day, const std::vector<Pupil>& pupils,
                               std::size_t& lines)
{
    ConnectionDay log(DayKey(day));
    const int lastSlot = IsoWeekday(day) == 6 ? 3 : 7;

    // The three computer rooms: a class comes for one or two teaching hours,
    // never to two rooms at once.
    std::array<std::vector<bool>, 8> classBusy;
    for (auto& busy : classBusy) busy.assign(kClasses.size(), false);
    for (std::size_t r = 0; r < 3; ++r) {
        const Room& room = kExampleRooms[r];
        int roomFreeFrom = 0;
        for (int slot = 0; slot <= lastSlot; ++slot) {
            // 2NDE1 has S514 first thing every morning.
            const bool fixedLesson = r == 0 && slot == 0;
            if (slot < roomFreeFrom || (!fixedLesson && !rng.PerThousand(600))) continue;
            int endSlot = slot;
            if ((slot == 0 || slot == 2 || slot == 5) && slot < lastSlot && rng.PerThousand(400)) endSlot = slot + 1;
            std::vector<std::size_t> freeClasses;
            for (std::size_t c = 0; c < kClasses.size(); ++c)
                if (!classBusy[static_cast<std::size_t>(slot)][c] && !classBusy[static_cast<std::size_t>(endSlot)][c])
                    freeClasses.push_back(c);
            if (freeClasses.empty()) continue;
            const std::size_t cls = fixedLesson ? 0 : rng.Pick(freeClasses);
            for (int t = slot; t <= endSlot; ++t) classBusy[static_cast<std::size_t>(t)][cls] = true;
            roomFreeFrom = endSlot + 1;
            std::vector<const Pupil*> group;
            for (const Pupil& p : pupils)
                if (p.classIndex == cls) group.push_back(&p);
            for (std::size_t i = group.size(); i > 1; --i) std::swap(group[i - 1], group[rng.Below(i)]);
            // eleve12 and eleve123 never miss a lesson: their sessions always
            // overlap when their class comes.
            std::stable_partition(group.begin(), group.end(),
                                  [](const Pupil* p) { return p->name == "eleve12" || p->name == "eleve123"; });
            const int present = room.stations * rng.Between(6, 10) / 10;
            for (int s = 0; s < present && s < static_cast<int>(group.size()); ++s) {
                const std::string& user = group[static_cast<std::size_t>(s)]->name;
                const int start = kSlotStart[static_cast<std::size_t>(slot)] + rng.Between(40, 480);
                const int end = kSlotEnd[static_cast<std::size_t>(endSlot)] - rng.Between(0, 360);
                const bool logout = !rng.PerThousand(70);
                if (rng.PerThousand(60)) {
                    // Logged out in the middle of the lesson and back in a minute later.
                    const int mid = start + (end - start) / 2;
                    log.Session(rng, r, room.name, s + 1, user, start, mid, true, kClasses[cls]);
                    log.Session(rng, r, room.name, s + 1, user, mid + rng.Between(30, 120), end, logout,
                                kClasses[cls]);
                } else {
                    log.Session(rng, r, room.name, s + 1, user, start, end, logout, kClasses[cls]);
                }
            }
        }
    }

    const int dayEnd = lastSlot == 7 ? Hm(17, 30) : Hm(12, 30);
    // The library: pupils come and go all day, one at a time on a free computer.
    {
        const std::size_t r = 4;
        std::vector<int> freeAt(static_cast<std::size_t>(kExampleRooms[r].stations), 0);
        const int visits = lastSlot == 7 ? 24 : 10;
        std::vector<int> starts;
        for (int v = 0; v < visits; ++v) starts.push_back(rng.Between(Hm(8, 0), dayEnd - Hm(0, 15)));
        std::sort(starts.begin(), starts.end());
        for (int start : starts) {
            const std::size_t st = rng.Below(freeAt.size());
            if (freeAt[st] > start) continue;
            const Pupil& p = rng.Pick(pupils);
            const int end = std::min(start + rng.Between(600, 3000), dayEnd);
            freeAt[st] = end + 60;
            log.Session(rng, r, kExampleRooms[r].name, static_cast<int>(st) + 1, p.name, start, end,
                        !rng.PerThousand(100), kClasses[p.classIndex]);
        }
    }
    // The staff room.
    {
        const std::size_t r = 3;
        std::vector<int> freeAt(static_cast<std::size_t>(kExampleRooms[r].stations), 0);
        std::vector<int> starts;
        for (int v = 0; v < (lastSlot == 7 ? 10 : 4); ++v) starts.push_back(rng.Between(Hm(7, 55), dayEnd - Hm(0, 10)));
        std::sort(starts.begin(), starts.end());
        for (int start : starts) {
            const std::size_t st = rng.Below(freeAt.size());
            if (freeAt[st] > start) continue;
            const int end = std::min(start + rng.Between(300, 2400), dayEnd);
            freeAt[st] = end + 60;
            std::string_view teacher = rng.Pick(kTeachers);
            log.Session(rng, r, kExampleRooms[r].name, static_cast<int>(st) + 1, teacher, start, end, true, "PROF");
            if (rng.PerThousand(300))
                log.Add(r, kExampleRooms[r].name, static_cast<int>(st) + 1, teacher, start + 30, "share", "PROF");
        }
    }
    lines = log.Count();
    return log.Bytes();
}

std::string ExampleKeywords(Rng& rng, const year_month_day& day, const std::vector<Pupil>& pupils,
                            std::size_t& lines, std::size_t& watched)
{
    const std::string key = DayKey(day);
    const bool saturday = IsoWeekday(day) == 6;
    const int dayEnd = saturday ? Hm(12, 30) : Hm(17, 30);
    std::vector<Event> events;
    std::uint32_t seq = 0;
    watched = 0;
    // Visits: a pupil on one computer opens a few pages within a few minutes.
    const int visits = saturday ? 25 : 60;
    for (int v = 0; v < visits; ++v) {
        const std::string computer = Computer(rng.Between(1, 40));
        const std::string& pupil = rng.Pick(pupils).name;
        int second = rng.Between(Hm(8, 0), dayEnd);
        const int pages = rng.Between(1, 8);
        for (int p = 0; p < pages; ++p) {
            std::string rest;
            if (rng.PerThousand(120)) {
                rest = WatchedRest(rng, rng.Below(kWatchedWords.size()));
                ++watched;
            } else {
                rest = OrdinaryRest(rng);
            }
            std::string line;
            AppendKeywordLine(line, computer, pupil, key, second, rest);
            events.push_back({second, seq++, std::move(line)});
            second += rng.Between(5, 150);
        }
    }
    SortEvents(events);
    std::string out;
    for (const Event& e : events) out += e.line;
    lines = events.size();
    return out;
}

Totals MakeExamples(const fs::path& dir, std::uint64_t seed)
{
    const fs::path logs = dir / "logs";
    fs::create_directories(logs);
    Totals totals;
    auto write = [&](const fs::path& path, std::string_view bytes, std::size_t lines) {
        WriteFile(path, bytes);
        ++totals.files;
        totals.bytes += bytes.size();
        totals.lines += lines;
    };

    write(dir / "kiv.ini", JoinLines(kWatchedWords), kWatchedWords.size());
    std::vector<std::string_view> rooms;
    for (const Room& r : kExampleRooms) rooms.push_back(r.name);
    write(dir / "kiv_salles.txt", JoinLines(rooms), rooms.size());
    write(dir / "kiv_heures.txt", JoinLines(kSlotHeaders), kSlotHeaders.size());

    const std::vector<Pupil> pupils = MakePupils();
    const year_month_day first = ParseDate("2026-12-01");
    for (int d = 0; d < 5; ++d) {
        const year_month_day day = AddDays(first, d);
        const std::string key = DayKey(day);
        Rng keywordRng = StreamFor(seed, 1, static_cast<std::uint64_t>(d));
        std::size_t lines = 0, watched = 0;
        write(logs / ("web" + key + ".txt"), ExampleKeywords(keywordRng, day, pupils, lines, watched), lines);
        totals.watchedLines += watched;
        Rng connectionRng = StreamFor(seed, 2, static_cast<std::uint64_t>(d));
        write(logs / ("connexr" + key + ".log"), ExampleConnections(connectionRng, day, pupils, lines), lines);
    }
    return totals;
}

// ---------------------------------------------------------------------------
// A year of keyword logs, for the search benchmark.

Totals MakeYear(const fs::path& dir, int files, double sizeMb, std::uint64_t seed)
{
    fs::create_directories(dir);
    const auto target = static_cast<std::size_t>(sizeMb * 1024 * 1024);
    const year_month_day first = ParseDate("2026-01-01");
    Totals totals;
    std::string out;
    for (int f = 0; f < files; ++f) {
        const year_month_day day = AddDays(first, f);
        const std::string key = DayKey(day);
        Rng rng = StreamFor(seed, 3, static_cast<std::uint64_t>(f));
        out.clear();
        out.reserve(target + 512);
        while (out.size() < target) {
            // The clock runs from 08h00 to 18h00 as the file fills.
            const int second = Hm(8, 0) + static_cast<int>(static_cast<double>(out.size()) / target * 36000.0);
            std::string name = "eleve" + std::to_string(rng.Between(1, 999));
            std::string rest;
            if (rng.Below(2000) == 0) {
                rest = WatchedRest(rng, rng.Below(kWatchedWords.size()));
                ++totals.watchedLines;
            } else {
                rest = OrdinaryRest(rng);
            }
            AppendKeywordLine(out, Computer(rng.Between(1, 99)), name, key, second, rest);
            ++totals.lines;
        }
        WriteFile(dir / ("web" + key + ".txt"), out);
        ++totals.files;
        totals.bytes += out.size();
    }
    return totals;
}

// ---------------------------------------------------------------------------
// One very busy day of connections, for the occupation benchmark.

struct BusyEvent {
    int second;
    std::uint32_t seq;
    std::uint32_t user;
    std::uint16_t room;
    std::uint8_t station;
    std::uint8_t kind;
};

Totals MakeBusyDay(const fs::path& dir, std::size_t lineCount, std::uint32_t userCount,
                   const year_month_day& day, std::uint64_t seed)
{
    fs::create_directories(dir);
    Rng rng = StreamFor(seed, 4, 0);
    const std::string key = DayKey(day);

    std::vector<std::string> rooms;
    for (int floor : {1, 2, 3, 4, 5})
        for (int n = 1; n <= 8; ++n) rooms.push_back("S" + std::to_string(floor * 100 + n));
    rooms.push_back("SPROF");
    rooms.push_back("SCDI");
    constexpr int kStations = 30;

    const std::vector<std::string_view> named = {"h\xE9l\xE8ne.m", "fran\xE7ois.d", "j\xE9r\xF4me.l",
                                                 "chlo\xE9.b", "no\xE9mie.t"};
    std::vector<std::string> users;
    for (std::uint32_t u = 1; u <= userCount; ++u) {
        // eleve12, eleve123, eleve1234...: many names are part of others.
        if (u % 97 == 0) users.push_back(std::string(named[u / 97 % named.size()]) + std::to_string(u));
        else users.push_back("eleve" + std::to_string(u));
    }

    enum Kind : std::uint8_t { kLogin, kLogout, kPrint, kShare, kLock, kUnlock };
    const std::array<std::string_view, 6> kindNames = {"login", "logout", "print", "share", "lock", "unlock"};

    // A sixth of the lines are other events; the rest are sessions, four in
    // five of which end with a logout.
    const std::size_t sessionLines = lineCount - lineCount / 6;
    const std::size_t sessions = sessionLines * 5 / 9;
    const std::size_t perUser = std::max<std::size_t>(1, sessions / userCount);
    const int dayStart = Hm(8, 0), dayEnd = Hm(17, 30), lastSecond = Hm(17, 59) + 59;
    // A session and the pause before it take 7/8 of a slot on average: the
    // slots are stretched so that each user's sessions fill the school day.
    const int slotLength = std::max(4, (dayEnd - dayStart) * 8 / (7 * static_cast<int>(perUser)));

    std::vector<BusyEvent> events;
    events.reserve(lineCount);
    std::uint32_t seq = 0;
    std::vector<int> clock(userCount);
    for (auto& c : clock) c = dayStart + rng.Between(0, slotLength);
    std::size_t madeSessions = 0;
    for (std::uint32_t u = 0; madeSessions < sessions && events.size() < lineCount; u = (u + 1) % userCount) {
        const auto room = static_cast<std::uint16_t>(rng.Below(rooms.size()));
        const auto station = static_cast<std::uint8_t>(rng.Between(1, kStations));
        const int login = std::min(clock[u] + rng.Between(0, slotLength / 4), lastSecond);
        const int logout = std::min(login + slotLength / 2 + rng.Between(0, slotLength / 2), lastSecond);
        clock[u] = logout + 1;
        events.push_back({login, seq++, u, room, station, kLogin});
        if (!rng.PerThousand(200) && events.size() < lineCount)
            events.push_back({logout, seq++, u, room, station, kLogout});
        ++madeSessions;
    }
    while (events.size() < lineCount) {
        const auto u = static_cast<std::uint32_t>(rng.Below(userCount));
        const auto kind = static_cast<std::uint8_t>(kPrint + rng.Below(4));
        events.push_back({rng.Between(dayStart, dayEnd), seq++, u, static_cast<std::uint16_t>(rng.Below(rooms.size())),
                          static_cast<std::uint8_t>(rng.Between(1, kStations)), kind});
    }
    std::sort(events.begin(), events.end(), [](const BusyEvent& a, const BusyEvent& b) {
        return a.second != b.second ? a.second < b.second : a.seq < b.seq;
    });

    std::string out;
    out.reserve(lineCount * 64);
    for (const BusyEvent& e : events) {
        const std::string_view room = rooms[e.room];
        std::string detail = "WINXP";
        if (e.kind == kPrint) detail = "HP2200-" + std::string(room);
        else if (e.kind == kShare) detail = "\\\\TORVEL\\commun";
        out += ConnectionLine(room, e.station, users[e.user], key, e.second, kindNames[e.kind], e.room, detail,
                              kClasses[e.user % kClasses.size()]);
        out += "\r\n";
    }
    WriteFile(dir / ("connexr" + key + ".log"), out);
    Totals totals;
    totals.files = 1;
    totals.bytes = out.size();
    totals.lines = events.size();
    return totals;
}

// ---------------------------------------------------------------------------
// Command line.

[[noreturn]] void Usage()
{
    std::cerr << "usage:\n"
                 "  kivlogs-gen examples DIR [--seed N]\n"
                 "  kivlogs-gen year DIR [--files 365] [--size-mb 1] [--seed N]\n"
                 "  kivlogs-gen busyday DIR [--lines 1000000] [--users 3000] [--date YYYY-MM-DD] [--seed N]\n";
    std::exit(2);
}

unsigned long long Number(std::string_view text)
{
    std::size_t used = 0;
    unsigned long long value = 0;
    try {
        value = std::stoull(std::string(text), &used);
    } catch (const std::exception&) {
        Usage();
    }
    if (used != text.size()) Usage();
    return value;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) Usage();
    const std::string_view mode = argv[1];
    const fs::path dir = fs::path(argv[2]);
    std::uint64_t seed = kDefaultSeed;
    int files = 365;
    double sizeMb = 1.0;
    std::size_t lines = 1000000;
    std::uint32_t users = 3000;
    std::string date = "2026-12-01";
    for (int i = 3; i < argc; ++i) {
        const std::string_view opt = argv[i];
        if (i + 1 >= argc) Usage();
        const std::string_view value = argv[++i];
        if (opt == "--seed") seed = Number(value);
        else if (opt == "--files" && mode == "year") files = static_cast<int>(std::min(Number(value), 100000ull));
        else if (opt == "--size-mb" && mode == "year") {
            try {
                sizeMb = std::stod(std::string(value));
            } catch (const std::exception&) {
                Usage();
            }
            if (!(sizeMb > 0)) Usage();
        } else if (opt == "--lines" && mode == "busyday") lines = Number(value);
        else if (opt == "--users" && mode == "busyday") users = static_cast<std::uint32_t>(Number(value));
        else if (opt == "--date" && mode == "busyday") date = value;
        else Usage();
    }
    try {
        CheckPools();
        if (mode == "examples") {
            Report("examples", MakeExamples(dir, seed));
        } else if (mode == "year") {
            Report("year", MakeYear(dir, files, sizeMb, seed));
        } else if (mode == "busyday") {
            if (users == 0 || users > 1000000 || lines == 0) Usage();
            Report("busy day", MakeBusyDay(dir, lines, users, ParseDate(date), seed));
        } else {
            Usage();
        }
    } catch (const std::exception& e) {
        std::cerr << "kivlogs-gen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
