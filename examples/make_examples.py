#!/usr/bin/env python3
"""Writes the example CONVERGE output files in this folder.

The values come from a small, self-contained engine model (slider-crank volume, Wiebe heat
release, polytropic gas), so the files look like a solver's output without being one:

  engine_cycle.out     one zone: crank angle, pressure, volume, temperatures, heat release,
                       burned fraction (dimensionless) and a spray parcel count (number)
  regions_cycle1.out   three regions (Intake, Cylinder, Exhaust) with the shared "(none)"
                       columns Crank, Time and Cycle_Number
  regions_cycle2.out   the next cycle, written the same way: same variables, other row count

Only the Python standard library is used and nothing random, so every run writes the same
bytes. Run it with --check to verify that the files on disk are up to date instead.
"""

import argparse
import math
import sys
from pathlib import Path

BANNER = "# CONVERGE 3.1/  example case                 Run Date:Thu Jan  1 00:00:00 2026"
MIN_WIDTH = 17

# Engine geometry and operating point.
BORE = 0.0855  # m
STROKE = 0.0945  # m
ROD = 0.1575  # m
COMPRESSION_RATIO = 12.0
RPM = 1500.0
GAS_CONSTANT = 287.0  # J/(kg K)
GAMMA = 1.35
IVC = -180.0  # intake valve closing, deg
EVO = 130.0  # exhaust valve opening, deg


def cylinder_volume(theta):
    """Cylinder volume (m^3) at crank angle theta (deg, 0 = firing top dead centre)."""
    crank = STROKE / 2.0
    area = math.pi / 4.0 * BORE * BORE
    clearance = area * STROKE / (COMPRESSION_RATIO - 1.0)
    rad = math.radians(theta)
    piston = crank * math.cos(rad) + math.sqrt(ROD * ROD - (crank * math.sin(rad)) ** 2)
    return clearance + area * (ROD + crank - piston)


class Combustion:
    """Wiebe heat release: start (deg), duration (deg) and total energy (J)."""

    def __init__(self, start, duration, energy):
        self.start = start
        self.duration = duration
        self.energy = energy

    def burned_fraction(self, theta):
        if theta <= self.start:
            return 0.0
        x = min((theta - self.start) / self.duration, 1.0)
        return 1.0 - math.exp(-5.0 * x ** 3)

    def rate(self, theta):
        """Heat release rate, J/deg."""
        if theta <= self.start or theta >= self.start + self.duration:
            return 0.0
        x = (theta - self.start) / self.duration
        return self.energy * 15.0 / self.duration * x * x * math.exp(-5.0 * x ** 3)


def closed_cycle_pressure(combustion, p_ivc, angles):
    """Cylinder pressure (Pa) at each requested angle between IVC and EVO, from the first law
    integrated in steps of 0.05 deg (midpoint rule)."""
    step = 0.05
    wanted = sorted(set(angles))
    result = {}
    theta = IVC
    p = p_ivc
    index = 0
    while index < len(wanted):
        while index < len(wanted) and wanted[index] <= theta + 1e-9:
            result[wanted[index]] = p
            index += 1
        mid = theta + step / 2.0
        volume = cylinder_volume(mid)
        dvolume = (cylinder_volume(theta + step) - cylinder_volume(theta)) / step
        dp = (GAMMA - 1.0) / volume * combustion.rate(mid) - GAMMA * p / volume * dvolume
        p_mid = p + dp * step / 2.0
        dp = (GAMMA - 1.0) / volume * combustion.rate(mid) - GAMMA * p_mid / volume * dvolume
        p += dp * step
        theta += step
    return result


def format_table(names, units, locations, rows, kinds):
    """The file text: banner, column row, name, unit and location rows, then the data rows.
    kinds holds 'e' (written as %16.9e) or 'd' (an integer) per column."""
    widths = []
    for column, name in enumerate(names):
        entries = [name, units[column]] + ([locations[column]] if locations else [])
        widths.append(max(MIN_WIDTH, max(len(entry) for entry in entries) + 2))

    def header(label, entries):
        first = label + entries[0].rjust(widths[0] - len(label))
        return first + "".join(e.rjust(w) for e, w in zip(entries[1:], widths[1:]))

    lines = [BANNER]
    numbers = [str(column + 1) for column in range(len(names))]
    lines.append(header("# column", numbers))
    lines.append(header("#", names))
    lines.append(header("#", units))
    lines.append(header("#", locations) if locations else "#")
    for row in rows:
        cells = []
        for value, kind, width in zip(row, kinds, widths):
            text = "%16.9e" % value if kind == "e" else "%d" % value
            cells.append(text.rjust(width))
        lines.append("".join(cells))
    return "\n".join(lines) + "\n"


def engine_cycle():
    """One zone, 300 rows from IVC on."""
    combustion = Combustion(start=-8.0, duration=48.0, energy=1450.0)
    angles = [IVC + 1.0 * i for i in range(300)]  # -180 .. 119 deg
    p_ivc = 1.35e5
    t_ivc = 335.0
    mass = p_ivc * cylinder_volume(IVC) / (GAS_CONSTANT * t_ivc)
    pressures = closed_cycle_pressure(combustion, p_ivc, angles)
    rows = []
    end = combustion.start + combustion.duration
    p_end = pressures.get(end) or closed_cycle_pressure(combustion, p_ivc, [end])[end]
    for theta in angles:
        p = pressures[theta]
        volume = cylinder_volume(theta)
        mean_temp = p * volume / (mass * GAS_CONSTANT)
        unburned = t_ivc * (p / p_ivc) ** ((GAMMA - 1.0) / GAMMA)
        burned = combustion.burned_fraction(theta)
        if burned <= 0.0:
            max_temp = mean_temp
        else:
            flame = 2250.0 + 0.4 * (unburned - 600.0)
            if theta > end:
                flame *= (p / p_end) ** ((GAMMA - 1.0) / GAMMA)
            max_temp = max(mean_temp, flame)
        min_temp = min(mean_temp, unburned)
        parcels = 0
        if -24.0 <= theta:
            injected = 450.0 * (min(theta, -4.0) + 24.0)
            evaporated = 1.0 - math.exp(-max(theta + 20.0, 0.0) / 9.0)
            parcels = int(round(injected * (1.0 - evaporated)))
        rows.append([theta, p / 1e6, volume, mean_temp, max_temp, min_temp,
                     combustion.rate(theta), combustion.energy * burned, burned, parcels])
    names = ["Crank", "Pressure", "Volume", "Mean_Temp", "Max_Temp", "Min_Temp", "HR_Rate",
             "Integrated_HR", "Burned_Fraction", "Num_Parcels"]
    units = ["(DEG)", "(MPa)", "(m^3)", "(K)", "(K)", "(K)", "(J/DEG)", "(J)",
             "(dimensionless)", "(number)"]
    kinds = ["e"] * 9 + ["d"]
    return format_table(names, units, None, rows, kinds)


def valve_lift(theta, opening, closing):
    """Fraction open (0 to 1) of a valve between two crank angles, smooth sine profile."""
    if theta <= opening or theta >= closing:
        return 0.0
    return math.sin(math.pi * (theta - opening) / (closing - opening)) ** 2


def regions_cycle(cycle, rows_count, step, combustion):
    """Three regions over one 720 deg cycle of the given number, starting at its -360 deg."""
    offset = 720.0 * (cycle - 1)
    local_angles = [-360.0 + step * i for i in range(rows_count)]
    closed = [a for a in local_angles if IVC <= a <= EVO]
    p_ivc = 0.98e5 + 0.02e5 * (cycle - 1)
    pressures = closed_cycle_pressure(combustion, p_ivc, closed + [EVO])
    t_ivc = 340.0
    trapped = p_ivc * cylinder_volume(IVC) / (GAS_CONSTANT * t_ivc)
    residual = 0.035 * trapped
    p_evo = pressures[EVO]
    rows = []
    for local in local_angles:
        theta = local + offset
        time = (theta + 360.0) / (6.0 * RPM)
        volume = cylinder_volume(local)
        # Both valves are open around the gas-exchange top dead centre at -360 deg (= 360 deg of
        # the cycle before).
        intake_open = valve_lift(local, -375.0, -175.0) + valve_lift(local - 720.0, -375.0, -175.0)
        exhaust_open = valve_lift(local, 125.0, 375.0) + valve_lift(local + 720.0, 125.0, 375.0)
        if IVC <= local <= EVO:
            p_cyl = pressures[local]
            m_cyl = trapped
        elif local > EVO:
            p_cyl = 1.08e5 + (p_evo - 1.08e5) * math.exp(-(local - EVO) / 14.0)
            m_cyl = residual + (trapped - residual) * math.exp(-(local - EVO) / 60.0)
        else:
            p_cyl = p_ivc - 0.03e5 * math.sin(math.radians(local + 360.0))
            # Fresh charge flows in as the piston sweeps the cylinder.
            clearance = cylinder_volume(-360.0)
            swept = (volume - clearance) / (cylinder_volume(IVC) - clearance)
            m_cyl = residual + (trapped - residual) * swept
        t_cyl = p_cyl * volume / (m_cyl * GAS_CONSTANT)

        p_in = 1.0e5 + 0.04e5 * math.sin(math.radians(2.0 * local)) - 0.06e5 * intake_open
        t_in = 315.0 + 6.0 * intake_open + 2.0 * math.cos(math.radians(local))
        m_in = p_in * 2.4e-4 / (GAS_CONSTANT * t_in)
        p_ex = 1.05e5 + 0.45e5 * exhaust_open * math.exp(-max(local - 125.0, 0.0) / 80.0)
        t_ex = 760.0 + 240.0 * exhaust_open
        m_ex = p_ex * 3.1e-4 / (GAS_CONSTANT * t_ex)

        cells_in = 38500 + int(round(5200.0 * intake_open))
        cells_cyl = 61000 + int(round(52000.0 * combustion.burned_fraction(local)
                                      * (1.0 - combustion.burned_fraction(local))))
        cells_ex = 29400 + int(round(4100.0 * exhaust_open))
        rows.append([theta, time, cycle,
                     p_in / 1e6, t_in, m_in, cells_in,
                     p_cyl / 1e6, t_cyl, m_cyl, cells_cyl,
                     p_ex / 1e6, t_ex, m_ex, cells_ex])
    names = ["Crank", "Time", "Cycle_Number"] + ["Pressure", "Temperature", "Mass",
                                                  "Cell_Count"] * 3
    units = ["(DEG)", "(s)", "(number)"] + ["(MPa)", "(K)", "(kg)", "(number)"] * 3
    locations = ["(none)"] * 3 + ["Intake"] * 4 + ["Cylinder"] * 4 + ["Exhaust"] * 4
    kinds = ["e", "e", "d"] + ["e", "e", "e", "d"] * 3
    return format_table(names, units, locations, rows, kinds)


def example_files():
    return {
        "engine_cycle.out": engine_cycle(),
        "regions_cycle1.out": regions_cycle(1, 300, 2.4, Combustion(-9.0, 50.0, 1100.0)),
        "regions_cycle2.out": regions_cycle(2, 360, 2.0, Combustion(-7.5, 53.0, 1070.0)),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", type=Path, default=Path(__file__).resolve().parent,
                        help="folder to write into (default: this script's folder)")
    parser.add_argument("--check", action="store_true",
                        help="compare with the files in the folder instead of writing them")
    args = parser.parse_args()
    stale = []
    for name, text in example_files().items():
        path = args.output / name
        if args.check:
            if not path.is_file() or path.read_bytes() != text.encode("ascii"):
                stale.append(name)
        else:
            path.write_bytes(text.encode("ascii"))
    if stale:
        print("out of date: " + ", ".join(stale) + " (run make_examples.py)", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
