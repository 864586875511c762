"""python -m convergeout watch FILE VARIABLE...: see ``python -m convergeout watch --help``."""

import sys

from ._watch import main

sys.exit(main())
