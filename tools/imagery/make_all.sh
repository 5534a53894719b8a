#!/bin/sh
# Regenerates every embedded Earth map, the elevation grid, the star cube and the splash screens
# from installed Debian packages, then checks the results. Run from anywhere.
# Needs: ferret-datasets gpredict xplanet-images gmt gmt-gshhg-high kstars-data
#        stellarium-data fonts-dejavu-core python3-numpy python3-scipy python3-pil
set -e
cd "$(dirname "$0")/../.."
PY=/usr/bin/python3
$PY tools/imagery/make_elevation.py
$PY tools/imagery/make_earth_maps.py
$PY tools/imagery/make_stars.py
$PY tools/imagery/make_splash.py
$PY tools/imagery/check.py
