#include "bench/KeywordLogText.h"

#include "bench/Concat.h"
#include "bench/CorpusClock.h"
#include "common/AsciiCase.h"

#include <stdexcept>

namespace kivgen {

namespace {

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

} // namespace

const std::vector<std::string_view>& WatchedWords() { return kWatchedWords; }

bool HasWatchedWord(std::string_view text)
{
    const std::string line = kiv::AsciiUpperCopy(text);
    for (std::string_view word : kWatchedWords)
        if (line.find(kiv::AsciiUpperCopy(word)) != std::string::npos) return true;
    return false;
}

// The pools of ordinary text must never contain a watched word by accident,
// or the number of results would no longer be what the generator planned.
void CheckPools()
{
    for (const auto* pool : {&kQueries, &kArticles, &kPages, &kVideos, &kResources, &kFirstNames})
        for (std::string_view text : *pool)
            if (HasWatchedWord(text))
                throw std::logic_error(Concat("ordinary text holds a watched word: ", text));
}

std::string OrdinaryRest(Rng& rng)
{
    const std::uint32_t kind = rng.Below(100);
    if (kind < 25) {
        const std::string_view q = rng.Pick(kQueries);
        return Concat("http://www.google.fr/search?hl=fr&q=", UrlEncode(q, '+'), " ", q, " - Recherche Google");
    }
    if (kind < 40) {
        const std::string_view a = rng.Pick(kArticles);
        return Concat("http://fr.wikipedia.org/wiki/", UrlEncode(a, '_'), " ", a, " \x97 Wikip\xE9" "dia");
    }
    if (kind < 70) return std::string(rng.Pick(kPages));
    if (kind < 80) {
        const std::string id = RandomId(rng, 11);
        const std::string_view video = rng.Pick(kVideos);
        return Concat("http://www.youtube.com/watch?v=", id, " ", video, " - YouTube");
    }
    const std::string_view resource = rng.Pick(kResources);
    return Concat(resource, "?t=", std::to_string(rng.Below(100000)));
}

// A page whose title or search holds watched word number `word`.
std::string WatchedRest(Rng& rng, std::size_t word)
{
    const std::string phrase = VaryCase(rng, rng.Pick(kWatchedPhrases[word]));
    switch (rng.Below(5)) {
    case 0:
        return Concat("http://www.google.fr/search?hl=fr&q=", UrlEncode(phrase, '+'), " ", phrase,
                      " - Recherche Google");
    case 1:
        return Concat("http://images.google.fr/images?q=", UrlEncode(phrase, '+'), "&hl=fr ", phrase,
                      " - Recherche d'images Google");
    case 2: {
        const std::string_view blogger = rng.Pick(kFirstNames);
        const std::string number = std::to_string(rng.Below(100));
        const std::string_view author = rng.Pick(kFirstNames);
        return Concat("http://www.skyrock.com/blog/", blogger, number, ".html Le blog de ", author, " : ", phrase,
                      " lol");
    }
    case 3:
        return Concat("http://www.jeuxvideo.com/forums/1-51-", std::to_string(rng.Between(1000000, 9999999)),
                      "-1-0-1-0-0.htm Sujet : ", phrase, " !!! - Forum Blabla 15-18 ans");
    default:
        return Concat("http://www.dailymotion.com/video/x", RandomId(rng, 6), " ", phrase, " - Vid\xE9o Dailymotion");
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

KeywordDay KeywordDayText(Rng& rng, std::string_view dayKey, std::size_t targetBytes, std::uint32_t watchedOneIn)
{
    KeywordDay day;
    day.text.reserve(targetBytes + 512);
    std::string& out = day.text;
    while (out.size() < targetBytes) {
        // The clock runs from 08h00 to 18h00 as the file fills.
        const int second = Hm(8, 0) + static_cast<int>(static_cast<double>(out.size()) / targetBytes * 36000.0);
        const std::string name = Concat("eleve", std::to_string(rng.Between(1, 999)));
        std::string rest;
        if (rng.Below(watchedOneIn) == 0) {
            rest = WatchedRest(rng, rng.Below(kWatchedWords.size()));
            ++day.watchedLines;
        } else {
            rest = OrdinaryRest(rng);
        }
        AppendKeywordLine(out, Computer(rng.Between(1, 99)), name, dayKey, second, rest);
        ++day.lines;
    }
    return day;
}

} // namespace kivgen
