// Colour schemes: the dispatch on the scheme code and the schemes that need no grid. Each writes
// every point's colour index (ramp schemes first rewrite the 256-entry ramp) and refreshes the
// float copy of the colour map. Flagged points always take the special colour startSpec.
#pragma once

namespace scene3d {

// The scheme code: 51 user colours, 52 groups, 53 charges, 54 height (the initial value), 57
// amino acids, 58 B-factors, 97 residues, 105 backbone, 106 point order, 107 distance from the
// centre, 410 atomic mass, 411-415 and 420 the surface analysis (colour_surface.h), 418, 419 and
// 421 the lens schemes, any other the elements.
extern int colSelection;

// Runs the scheme of colSelection (a grid code on points that are no grid recolours nothing),
// then refreshes CMap_f.
void ColorUpdate();

void ColorUser();
void ColorGroup();
void ColorCharge();
void Color_z();
void ColorAmino();
void ColorTemp();
void ColorShapely();
void Color_bb();
void Color_Index();
void Color_Pos();
void Color_Mass();
void ColorElement();

// The lens schemes (thickness, prism, prism angle) run only in the lens mode isGlass, which is
// never on: they change nothing.
void Color_THICK();
void Color_PRISM();
void Color_PRISMANG();

// The residue code of point i (30 when there is none) and its amino colour.
int get_shapely(int i);
int get_amino(int i);

}  // namespace scene3d
