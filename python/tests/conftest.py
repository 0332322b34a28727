"""The tests import korvex from this source tree. The library, the tool and
the samples come from the environment (set by CTest), with the build tree
of scripts/test.sh as the default."""

import os
import sys

PYTHON_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
REPO_DIR = os.path.dirname(PYTHON_DIR)
sys.path.insert(0, PYTHON_DIR)

os.environ.setdefault("KORVEX_LIBRARY", os.path.join(REPO_DIR, "build", "libkorvex.so"))
os.environ.setdefault("KORVEX_TOOL", os.path.join(REPO_DIR, "build", "cli", "korvex"))
os.environ.setdefault("KORVEX_SAMPLES", os.path.join(REPO_DIR, "samples"))
