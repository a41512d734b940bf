// Map projections on the unit sphere: the point transformation of each
// projection code and its inverse, with the constants an axis system
// derives once (centre longitude, cone constants, pole).
#pragma once

namespace kal {

enum MapFamily : int { FAMILY_LINEAR = 0, FAMILY_CYLINDRICAL, FAMILY_PSEUDO, FAMILY_CONIC, FAMILY_AZIMUTHAL,
                       FAMILY_USER };

enum MapCode : int {
    PROJ_CYLI = 0, PROJ_MERC = 1, PROJ_EXAC = 2, PROJ_CORR = 3, PROJ_UTM = 4, PROJ_OBLI = 5, PROJ_EQUA = 6,
    PROJ_MOLL = 10, PROJ_AITO = 11, PROJ_HAMM = 12, PROJ_WINK = 13, PROJ_SANS = 14, PROJ_ELLI = 15,
    PROJ_CONF = 20, PROJ_ALBE = 21, PROJ_POLY = 22, PROJ_CONI = 23,
    PROJ_GNOM = 30, PROJ_ORTH = 31, PROJ_STER = 32, PROJ_AZIM = 33, PROJ_LAMB = 34,
    PROJ_MYPR = 100
};

// Keywords of projct in table order and their codes.
constexpr int PROJECTION_COUNT = 23;
extern const char* const PROJECTION_KEYS;  // "CYLI+MERC+..."
extern const int PROJECTION_CODES[PROJECTION_COUNT];

MapFamily map_family(int code);

// The constants of one projected map.
struct Projection {
    int code = PROJ_CYLI;
    double centre = 0;        // centre longitude c, degrees
    // Conic: cone constant n, radius function constants, southern flag
    // (the map is mirrored so that its cone opens to the north).
    bool southern = false;
    double n = 1, k = 1, cc = 0;
    double y0 = 0;            // radius at the centre latitude
    double lat0 = 0;          // POLY: latitude of the origin (radians)
    // Azimuthal and OBLI: the pole (radians).
    double pole_lon = 0, pole_lat = 0;
    double sin_pole = 0, cos_pole = 1;
};

// Sets the cone constants from the two standard parallels (degrees; equal
// values: one parallel) and the centre latitude; the southern flag comes
// from the caller.
void set_cone(Projection& p, double lat1, double lat2, double centre_lat);
// Sets the pole (degrees).
void set_pole(Projection& p, double lon, double lat);

// Angular distance of (lon, lat) from the pole of an azimuthal map, radians.
double pole_distance(const Projection& p, double lon, double lat);

// (lon, lat) in degrees to projected (x, y), y up. False where the point
// has no image (then x, y are NaN).
bool project(const Projection& p, double lon, double lat, double& x, double& y);
// The inverse; false (NaN) off the map. Longitudes come back around the
// centre longitude.
bool unproject(const Projection& p, double x, double y, double& lon, double& lat);

}  // namespace kal
