"""The tests import korvex from this source tree, or with
KORVEX_TEST_INSTALLED=1 the korvex the interpreter finds (one installed with
pip). The library, the tool and the samples come from the environment (set
by CTest), with the build tree of scripts/test.sh as the default."""

import os
import sys

PYTHON_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
REPO_DIR = os.path.dirname(PYTHON_DIR)
if os.environ.get("KORVEX_TEST_INSTALLED") != "1":
    sys.path.insert(0, PYTHON_DIR)

os.environ.setdefault("KORVEX_LIBRARY", os.path.join(REPO_DIR, "build", "libkorvex.so"))
os.environ.setdefault("KORVEX_TOOL", os.path.join(REPO_DIR, "build", "cli", "korvex"))
os.environ.setdefault("KORVEX_SAMPLES", os.path.join(REPO_DIR, "samples"))
