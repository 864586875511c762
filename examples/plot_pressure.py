#!/usr/bin/env python3
"""Plots a pressure trace per zone of the bundled examples with convergeout and matplotlib.

    python3 examples/plot_pressure.py [OUTPUT.png]      (default: pressure.png)
"""

import sys
from pathlib import Path

import matplotlib

matplotlib.use("Agg")  # draw into a file; no window needed
import matplotlib.pyplot as plt  # noqa: E402

import convergeout  # noqa: E402

output = sys.argv[1] if len(sys.argv) > 1 else "pressure.png"
datasets, refused = convergeout.load_case(Path(__file__).parent)

figure, axes = plt.subplots(figsize=(9, 4.5), layout="constrained")
for name, dataset in datasets.items():
    for zone in dataset:
        axes.plot(zone["Crank"], zone["Pressure"], label=zone.name, linewidth=1.2)
axes.set_xlabel(f"Crank angle ({dataset.unit('Crank')})")
axes.set_ylabel(f"Pressure ({dataset.unit('Pressure')})")
axes.set_title("The bundled examples, one trace per zone")
axes.legend(fontsize="small", ncols=2)
axes.grid(alpha=0.3)
figure.savefig(output, dpi=110)
print(f"{len(datasets)} files, {sum(len(d) for d in datasets.values())} zones: {output}")
