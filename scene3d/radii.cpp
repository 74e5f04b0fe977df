#include "scene3d/radii.h"

#include <cmath>

#include "scene3d/elements.h"
#include "scene3d/grid.h"
#include "scene3d/scene.h"

namespace scene3d {

float RadBall = 0.42f, stickball_ratio = 0.4f, RadBondMagn = 1.0f, RadMagn = 1.0f;
float RadStick = 0.039f, RadBallScale = 0;
int UserRadius = 0, r_type = 0;
int mol_disp = 0, show_backbone = 0;

float GetRadStick() {
  float r;
  if (mol_disp == 1)
    r = show_backbone ? RadBondMagn * 0.35f : 0.0005f;
  else if (mol_disp == 6 || mol_disp == 7 || show_backbone)
    r = RadBondMagn * 0.35f;
  else
    r = RadBondMagn * 0.039f;
  if (mol_disp >= 2 && mol_disp <= 4) r = stickball_ratio * RadMagn * RadBall;
  return r;
}

float RadiusElement() {
  RadStick = GetRadStick();
  for (int i = 0; i < n_atoms; i++) at[i].rad = GetRad(at_el[i]) * RadMagn;
  UserRadius = 0;
  r_type = 0;
  RadBallScale = 0.5f * RadStick / RadBall;
  return RadBallScale;
}

float RadiusBallStick() {
  RadStick = GetRadStick();
  float base = mol_disp >= 2 && mol_disp <= 4 ? RadBall : RadStick;
  for (int i = 0; i < n_atoms; i++) {
    int z = at_el[i];
    at[i].rad = z > 18 && z != 23 && z != 35 ? GetRad(z) * RadMagn : base * RadMagn;
  }
  r_type = 1;
  RadBallScale = 0.5f * RadStick / RadBall;
  return RadBallScale;
}

void RadiusUser() {
  RadStick = GetRadStick();
  for (int i = 0; i < n_atoms; i++) at[i].rad = at_rad[i];
  UserRadius = 1;
  r_type = 2;
}

void find_radius() {
  double d = zmat_delta, r = 0.8 * d;
  RadMagn = 1;
  if (d < 1) r = 1.6 * d, RadMagn = 0.5f;
  if (d < 0.5) r = 3.2 * d, RadMagn = 0.25f;
  if (d < 0.25) r = 6.4 * d, RadMagn = 0.125f;
  r = std::fabs(r);
  ElemRad[100] = (float)(r < 0.01 ? 0.01 : r > 100 ? 100 : r);
}

}  // namespace scene3d
