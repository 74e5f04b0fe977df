// Points on and above the WGS84 ellipsoid: normals, surface points, heights along the normal and
// the way back from a point in space to the foot of its normal on the surface.
//
// Conventions: Earth-fixed Cartesian metres, X towards 0 E on the equator, Y towards 90 E, Z
// towards the North Pole; longitudes and latitudes in radians, latitudes geodetic (the angle of
// the surface normal with the equator). The three-output functions write through their pointers
// and nothing else.
#pragma once

#include "earth/constants.h"

// The fourth powers of the semi-axes (earth/constants.h), as the foot-point search uses them.
constexpr double WGS84_A4 = 1.6549137866238727e27, WGS84_B4 = 1.6328307073984778e27;

// The unit vector (cos lon cos lat, sin lon cos lat, sin lat).
void geographic2normal(double lon, double lat, double* nx, double* ny, double* nz);

// The point of the surface whose normal is geographic2normal(lon, lat); returns its z.
double geographic2surface(double lon, double lat, double* x, double* y, double* z);

// The surface point of unit normal n raised by h metres along n (h < 0 lies below the surface).
void normal2wgs84(double nx, double ny, double nz, double h, double* x, double* y, double* z);

// The unit normal of the surface at the surface point (x, y, z); returns its z component.
double get_normal_s(double x, double y, double z, double* nx, double* ny, double* nz);

// Longitude and latitude of the normal direction (x/A^2, y/A^2, z/B^2). The longitude is the
// arctangent of the ratio y/x, so it lies within -pi/2..pi/2: points west of 90 W or east of
// 90 E give the longitude of the opposite meridian. Exact for surface points.
void wgs84_to_geographic0(double x, double y, double z, double* lon, double* lat);

// The surface point on the ray from the Earth's centre through (x, y, z).
void wgs84_to_geocentric(double x, double y, double z, double* gx, double* gy, double* gz);

// The foot of the normal through (x, y, z) on the surface, by Newton steps on the distance t
// along the normal, starting from the geocentric point. Prints each step's residual on standard
// output as "%d: %e\n" (at most ten). The search stops early once the residual or its derivative
// falls below 1e-14; far from the Earth (tens of thousands of km) the derivative does so first,
// and the result is then that far from the foot point.
void wgs84_to_geographic(double x, double y, double z, double* fx, double* fy, double* fz);
