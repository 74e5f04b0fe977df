// The display radii of the scene points: the radius settings and the operations that turn the
// element radii (elements.h) into at[i].rad.
#pragma once

namespace scene3d {

// Radius settings and the results of the radius operations. RadMagn is the factor between the
// radius table and the display radii.
extern float RadBall, stickball_ratio, RadBondMagn, RadMagn;
extern float RadStick, RadBallScale;
extern int UserRadius, r_type;
// The display style and the backbone switch: no command sets them, so they stay 0 and the
// radius rules below take their first branch.
extern int mol_disp, show_backbone;

// The stick radius (0.039 with the display style fixed at 0).
float GetRadStick();

// Display radii into at[i].rad. RadiusElement: ElemRad of |ordinal| x RadMagn; returns
// RadBallScale. RadiusBallStick: the ball-and-stick radii. RadiusUser: the at_rad values.
float RadiusElement();
float RadiusBallStick();
void RadiusUser();

// The grid radius rule from zmat_delta (grid.h): ElemRad[100] and RadMagn.
void find_radius();

}  // namespace scene3d
