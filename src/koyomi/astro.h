#pragma once
// Positions of the sun and the moon for the calendar, after the series in
// Meeus, "Astronomical Algorithms" (2nd ed.): the sun from the truncated
// VSOP87 earth series (ch. 25/32, better than 1" here), the new moons from the
// ch. 49 series with its planetary corrections (a few seconds), ΔT from the
// Espenak–Meeus polynomials. Moments are Julian Ephemeris Days (TT).
#include <QDate>

namespace nox::koyomi
{

// ΔT = TT − UT in seconds for a decimal year.
double deltaT(double year);

// The sun's apparent geocentric ecliptic longitude in degrees [0, 360).
double sunApparentLongitude(double jde);

// The moment the sun's apparent longitude is `degrees`, searched from
// `nearJde` (within about ±20 days of the answer).
double jdeOfSunLongitude(double degrees, double nearJde);

// The true new moon of lunation k (k = 0: 2000-01-06; whole numbers only).
double jdeOfNewMoon(int k);
// The lunation number of the last new moon at or before jde.
int newMoonAtOrBefore(double jde);

// Julian Ephemeris Day of 0h Japan Standard Time (UTC+9) of a date, as UT
// (ΔT not applied), and the JST calendar date of a moment in TT.
double jdOfJstMidnight(const QDate& date);
QDate jstDateOf(double jde);

} // namespace nox::koyomi
