#!/usr/bin/python3
"""Reference readings of molecule files, from libraries nobody here wrote.

usage: molecule_reference.py atoms FILE...  per atom record of every model (Biopython's
                                          PDBParser): the file's place among the arguments (from
                                          0), x, y, z, B-factor, element ordinal
                                          (python3-periodictable), 1 for HETATM else 0
       molecule_reference.py bonds FILE   per bond of the first molecule that Open Babel
                                          (obabel -omol2) perceives: the two atom numbers,
                                          counted from 1 in file order
"""
import subprocess
import sys
import warnings

mode, path = sys.argv[1], sys.argv[2]
if mode == "atoms":
    import periodictable
    from Bio.PDB import PDBParser
    from Bio.PDB.PDBExceptions import PDBConstructionWarning

    warnings.simplefilter("ignore", PDBConstructionWarning)
    for k, path in enumerate(sys.argv[2:]):
        structure = PDBParser(QUIET=True).get_structure("s", path)
        for model in structure:
            for atom in model.get_atoms():
                atoms = atom.disordered_get_list() if atom.is_disordered() else [atom]
                for a in atoms:
                    element = periodictable.elements.symbol(a.element.capitalize()).number
                    het = 1 if a.get_parent().id[0] != " " else 0
                    x, y, z = a.coord
                    print("%d %.3f %.3f %.3f %.2f %d %d" % (k, x, y, z, a.bfactor, element, het))
elif mode == "bonds":
    mol2 = subprocess.run(["obabel", "-ipdb", path, "-omol2"], capture_output=True, text=True,
                          check=True).stdout
    section, molecules = "", 0
    for line in mol2.splitlines():
        if line.startswith("@<TRIPOS>"):
            section = line
            molecules += section == "@<TRIPOS>MOLECULE"
            continue
        if molecules == 1 and section == "@<TRIPOS>BOND" and line.split():
            f = line.split()
            print(f[1], f[2])
else:
    sys.exit("unknown mode " + mode)
