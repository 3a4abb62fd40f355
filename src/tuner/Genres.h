#pragma once
// The tuners' genres and the channel labels that each genre shows in the list. A genre chosen by
// a click in the list and the same genre picked in the combo box show different channels for
// several genres, so there is one table for each way.

#include <QString>
#include <QStringView>

#include <array>
#include <initializer_list>

inline constexpr std::array<QStringView, 8> TvGenres{
    u"Movies",  u"Sports",   u"News", u"Documentary",
    u"Weather", u"Religion", u"Kids", u"More Channels",
};

inline constexpr std::array<QStringView, 6> RadioGenres{
    u"All Radio channels", u"Radio News",      u"Radio Music",
    u"Radio sports",       u"Radio lifestyle", u"Radio kids",
};

struct GenreChannels {
    QStringView genre;
    std::initializer_list<QStringView> labels; // in the order the list shows them
};

using GenreTable = std::array<GenreChannels, 13>;

// A genre clicked in the list. "All Radio channels" is a genre of the radio tuner but shows no
// channels of its own.
inline constexpr GenreTable ListClickChannels{{
    {u"Movies",
     {u"MBC 1", u"Zee TV", u"Bloomberg", u"MSNBC", u"", u"ESPN Orbit", u"Discovery Science",
      u"Nasa Tv", u"Nasa Tv2", u"Fox 5", u"NBC TV"}},
    {u"Sports", {u"Saudi Sports", u"Satanta Sports", u"ESPN", u"Fox 5", u"NBC TV"}},
    {u"News",
     {u"CCTV 9", u"Sky news", u"BBC World", u"BBC Live News", u"BBC Arabic", u"Aljazeera news Eng",
      u"Fjtv4", u"France 24", u"RT1", u"CNN News"}},
    {u"Documentary", {u"Discovery Science", u"Nasa Tv", u"Nasa Tv2", u"Fox 5", u"NBC TV"}},
    {u"Weather", {u"Discovery Science", u"Nasa Tv", u"Nasa Tv2", u"Fox 5", u"NBC TV"}},
    {u"Religion", {u"QTV", u"Noor TV", u"Peace TV", u"Mohammed TV", u"Islamic TV", u"Hope TV"}},
    {u"Kids", {u"Cartoon Network", u"Disney TV", u"Nasa Tv2", u"Fox 5", u"NBC TV"}},
    {u"More Channels",
     {u"TVA",        u"QatarSC",     u"Syria TV",     u"IPTV",        u"fjtv1",
      u"Chinese3",   u"GDTV",        u"Palestine TV", u"Alaqsa TV",   u"Alquds TV",
      u"Lebanon TV", u"ISTV",        u"Gulf TV",      u"Ajman TV",    u"Yemen TV",
      u"Sahara",     u"ZDF",         u"3Sat",         u"CBC Toronto", u"BBC Politics",
      u"DW Arabic",  u"CCTV Arabic", u"Fox TV",       u"NBC",         u"INTERACITV"}},
    {u"Radio News", {u"Discovery Science"}},
    {u"Radio sports", {u"Discovery Science"}},
    {u"Radio Music", {u"Discovery Science"}},
    {u"Radio lifestyle", {u"Discovery Science"}},
    {u"Radio kids", {u"Discovery kids"}},
}};

// A genre picked in the combo box.
inline constexpr GenreTable ComboClickChannels{{
    {u"Movies", {u"MBC 1", u"Zee TV", u"Nasa Tv2", u"Fox 5", u"NBC TV"}},
    {u"Sports", {u"Saudi Sports", u"Satanta Sports", u"ESPN", u"Fox 5", u"NBC TV"}},
    {u"News",
     {u"CCTV 9", u"Sky news", u"BBC World", u"BBC Live News", u"BBC Arabic", u"Aljazeera news Eng",
      u"Fjtv4", u"France 24", u"RT1", u"CNN News"}},
    {u"Documentary", {u"Discovery Science", u"Nasa Tv", u"Nasa Tv2", u"MSNBC"}},
    {u"Weather",
     {u"CNN News", u"Abc", u"Bloomberg", u"MSNBC", u"ESPN", u"ESPN Orbit", u"Discovery Science",
      u"Nasa Tv", u"Nasa Tv2", u"Fox 5", u"NBC TV"}},
    {u"Religion", {u"QTV", u"Noor TV", u"Peace TV", u"Mohammed TV", u"Islamic TV", u"Hope TV"}},
    {u"Kids",
     {u"Cartoon Network", u"Disney TV", u"Bloomberg", u"MSNBC", u"ESPN", u"ESPN Orbit",
      u"Discovery Science", u"Nasa Tv", u"Nasa Tv2", u"Fox 5"}},
    {u"More Channels",
     {u"TVA",        u"QatarSC",     u"Syria TV",     u"IPTV",        u"fjtv1",
      u"Chinese3",   u"GDTV",        u"Palestine TV", u"Alaqsa TV",   u"Alquds TV",
      u"Lebanon TV", u"ISTV",        u"Gulf TV",      u"Ajman TV",    u"Yemen TV",
      u"Sahara",     u"ZDF",         u"3Sat",         u"CBC Toronto", u"BBC Politics",
      u"DW Arabic",  u"CCTV Arabic", u"Fox TV",       u"INTERACITV",  u"NBC"}},
    {u"Radio News", {u"Discovery Science"}},
    {u"Radio sports", {u"Discovery Science"}},
    {u"Radio Music", {u"Discovery Science"}},
    {u"Radio lifestyle", {u"Discovery Science"}},
    {u"Radio kids", {u"Discovery Kids"}},
}};

// The genre of `table` whose name is exactly `text`, or nullptr when the text is no genre there.
const GenreChannels *findGenre(const GenreTable &table, const QString &text);
