// Placeholder until the sun times at a point land: a right click on the globe reports nothing.
#include "app/sun_report.h"

void sun_report_at(double, double) {}
