"""Pressure drop of a polymer melt through a screen pack: the exact core of
screenfilter for Python and notebooks.

Every number is the one ``screenfilter-cli`` prints, bit for bit, and every
error message is its English line, naming the key.

    >>> import screenfilter, numpy as np
    >>> r = screenfilter.run("pack.sfcase", flow_rate=120.0)
    >>> r.total                      # kgf/cm2, the report's total
    >>> r.total_in("bar")
    >>> t = screenfilter.sweep("pack.sfcase", flow_rate=np.linspace(10, 100, 10))
    >>> t["total"]                   # a numpy array, one value per point

A case is a case file's path (``.sfcase`` or ``.toml``), or a mapping of
keys to values over the window's worked example (``{"flow_rate": 50,
"screens.3.wire": 0.014}``). Keys are named as on the command line: the
short name (``flow_rate``, ``temperature``, ``count``) or the full one
(``process.flow_rate``, ``pack.count``, ``screens.3.wire``). A number is
taken exactly; a text is read as a case file's text is, with ".".

Units: flow rate kg/hr, screen diameter and wire cm, mesh wires per inch,
density g/cm3, temperature degrees C, standard viscosity gf.s/cm2, standard
shear rate 1/s, shift A in K; pressures in kgf/cm2 unless a unit is asked
for (kgf/cm2, bar, MPa or psi); wall shear rate 1/s; apparent viscosity Pa.s.

Bad input raises a subclass of ``Error``, itself a ``ValueError``:
``CaseFileError``, ``UnknownKeyError``, ``BadValueError``,
``CaseRefusedError``, ``OptionError``, ``PointsFileError``, ``MeltFitError``.
"""

import json as _json
import os as _os
from collections.abc import Mapping as _Mapping
from typing import NamedTuple as _NamedTuple

import numpy as _np

from . import _core
from ._core import (Error, CaseFileError, UnknownKeyError, BadValueError, CaseRefusedError, OptionError,
                    PointsFileError, MeltFitError)

__all__ = ["run", "sweep", "solve", "fit_melt", "Result", "Screen", "PRESSURE_UNITS",
           "Error", "CaseFileError", "UnknownKeyError", "BadValueError", "CaseRefusedError", "OptionError",
           "PointsFileError", "MeltFitError"]

PRESSURE_UNITS = ("kgf/cm2", "bar", "MPa", "psi")


def _case(case, values=None, keys=None):
    """The core's case for a path, a mapping or a case, with keys set."""
    if isinstance(case, _core.Case):
        c = case.copy()
    elif isinstance(case, (str, bytes, _os.PathLike)):
        c = _core.read_case(_os.fsdecode(case))
    elif isinstance(case, _Mapping):
        c = _core.worked_example("case")
        for key, value in case.items():
            c.set(str(key), value)
    else:
        raise BadValueError(f"case: a case file's path or a mapping of keys to values, not {type(case).__name__}")
    for given in (values or {}), (keys or {}):
        for key, value in given.items():
            c.set(str(key), value)
    return c


class Screen(_NamedTuple):
    """One screen of a run; a result lists them screen 1 first."""
    screen: int                 # 1 to 12
    mesh: float                 # wires per inch
    wire: float                 # wire diameter, cm
    opening: float              # between the wires, cm
    open_area: float            # share of the face, 0 to 1
    screen_factor: float        # Fs, cm^-n
    wall_shear_rate: float      # 1/s
    apparent_viscosity: float   # Pa.s
    pressure_drop: float        # in the result's unit


class Result:
    """One run of a case, as ``screenfilter-cli run --format json`` gives it.

    status       "ok", or with check=False "rejected" or "failed"
    message      the window's words when the run did not end well, else ""
    total        the pack's total pressure drop (the report's total), in
                 ``unit``; None when the run did not end well
    unit         "kgf/cm2" unless asked otherwise
    screens      a list of ``Screen``, one per screen in use
    diagnoses    the findings: dicts of code, severity, key, value, sentence
    warnings     the command line's warning lines for the case
    inputs       each input key's value as the run took it
    details      the whole JSON object, parsed
    """

    def __init__(self, case, details, warnings):
        self._case = case
        self.details = details
        self.status = details["status"]
        self.message = details.get("message", "")
        self.total = details["total"]
        self.unit = details["units"]["total"]
        self.screens = [Screen(s["screen"], *(s[f] for f in Screen._fields[1:])) for s in details["screens"]]
        self.diagnoses = details["diagnoses"]
        self.warnings = list(warnings)
        self.inputs = {i["key"]: i["value"] for i in details["inputs"]}

    def total_in(self, unit):
        """The total pressure drop in ``unit`` (kgf/cm2, bar, MPa or psi), as
        ``run --format json --units UNIT`` gives it."""
        text, _ = _core.run_json(self._case, unit, False, False)
        return _json.loads(text)["total"]

    def __repr__(self):
        return f"<screenfilter.Result total={self.total!r} {self.unit}, {len(self.screens)} screens>"


def run(case, *, values=None, check=True, strict=False, unit="kgf/cm2", **keys):
    """Run a case once, as OK in the window and ``screenfilter-cli run`` do.

    case     a case file's path, or a mapping of keys to values over the
             worked example
    values   more keys by their full names: {"screens.3.wire": 0.014}
    **keys   keys by their short names: flow_rate=120.0 (kg/hr)
    check    False computes a case that makes no physical sense, as the
             window would, with its findings in ``diagnoses``
    strict   a warning refuses the case too
    unit     of the pressure drops: kgf/cm2, bar, MPa or psi

    Returns a ``Result``. Raises ``CaseRefusedError`` (one line per reason,
    the command line's) for a case the checks refuse or whose arithmetic
    stopped, unless check=False: then the result says so in ``status``;
    ``CaseFileError``, ``UnknownKeyError`` or ``BadValueError`` for bad input.
    """
    c = _case(case, values, keys)
    text, warnings = _core.run_json(c, unit, check, strict)
    details = _json.loads(text)
    if check and details["status"] != "ok":
        raise CaseRefusedError(f"{c.name}: {details['message']}")
    return Result(c, details, warnings)


def sweep(case, *, values=None, vary=None, check=True, unit="kgf/cm2", details=False, threads=None, **grids):
    """Compute a grid of points over one or two keys of a case, as
    ``screenfilter-cli sweep --vary`` does, on the sweep's threads.

    case       a case file's path, or a mapping of keys to values
    **grids    one or two keys by their short names, each with its values
               (a sequence or numpy array): flow_rate=np.linspace(10, 100, 10)
    vary       the same by full names: {"screens.3.wire": [0.01, 0.02]}
    values     keys set for every point: {"temperature": 250}
    check      False: points that make no physical sense are computed, not
               refused
    unit       of the pressure drops: kgf/cm2, bar, MPa or psi
    details    also each screen's wall shear rate (1/s) and apparent
               viscosity (Pa.s)
    threads    to compute on (default: one per core)

    Returns a dict of numpy arrays, one value per point in grid order (the
    first key's values outer): each varied key as given, "total", "drop_1"
    to "drop_N", with details "wall_shear_rate_N" and "apparent_viscosity_N",
    and "status" ("ok", "refused", or the window's words). A point that did
    not compute has NaN for its pressures.
    """
    c = _case(case, values)
    given = dict(vary or {})
    given.update(grids)
    keys = list(given)
    arrays = [_np.atleast_1d(_np.asarray(given[k], dtype=_np.float64)) for k in keys]
    table = _core.sweep(c, keys, arrays, unit, check, details, threads or 0)
    codes = table.pop("_status_codes")
    messages = _np.array(table.pop("_status_messages"))
    table["status"] = messages[codes]
    return table


def solve(case, find=None, limit=None, range=None, *, values=None):
    """Find the value of one key at which a case just reaches a pressure
    limit, as ``screenfilter-cli solve --format json`` does.

    find    the key to solve for: flow_rate, temperature, density,
            screen_diameter, standard_viscosity, standard_shear_rate,
            shift_a, shift_b, screens.N.mesh or screens.N.wire
            (default: the case's [study] find)
    limit   "total=PRESSURE" or "drop.N=PRESSURE", the unit right after the
            number: "total=150bar" (default: the case's [study] limit)
    range   (FROM, TO) or "FROM:TO", the values to search (default: around
            the case's own value)
    values  keys set first: {"temperature": 250}

    Returns the JSON object as a dict: case, key, limit, range, outcome, and
    when found lo, hi, pressure_lo, pressure_hi (in the limit's unit),
    met_at, direction and diagnoses; otherwise message.
    """
    c = _case(case, values)
    if range is not None and not isinstance(range, str):
        lo, hi = range
        range = f"{_core.shortest(float(lo))}:{_core.shortest(float(hi))}"
    return _json.loads(_core.solve_json(c, find, limit, range))


def _window(value):
    if value is None or isinstance(value, str):
        return value
    lo, hi = value
    return f"{_core.shortest(float(lo))}:{_core.shortest(float(hi))}"


def fit_melt(points, *, viscosity_unit=None, reference_temperature=None, standard_shear_rate=100.0, shift_a=None,
             activation_energy=None, activation_energy_at=None, columns=None, temperature_range=None,
             shear_rate_range=None):
    """Fit the melt's five values to a table of measured viscosity points, as
    ``screenfilter-cli melt fit --format json`` does.

    points                  the points file's path
    viscosity_unit          "Pa.s", "mPa.s", "P" or "gf.s/cm2" (default: the
                            header's, else Pa.s)
    reference_temperature   degrees C where aT = 1 (default: the middle of
                            the points' range, to 0.1)
    standard_shear_rate     SR0, 1/s
    shift_a                 hold A (K) fixed instead of fitting it
    activation_energy       "45kJ/mol", or a number in J/mol, with
    activation_energy_at    "constant-stress" or "constant-shear-rate"
    columns                 "temperature=1,shear_rate=2,viscosity=Eta" or a
                            mapping of the same
    temperature_range       (FROM, TO) degrees C fitted, both included
    shear_rate_range        (FROM, TO) 1/s fitted

    Returns the "melt" object as a dict: standard_viscosity (gf.s/cm2),
    standard_shear_rate, power_law_factor, shift_a, shift_b and "fit" (the
    points' range, count, source and deviations in %).
    """
    if isinstance(columns, _Mapping):
        columns = ",".join(f"{k}={v}" for k, v in columns.items())
    if activation_energy is not None and not isinstance(activation_energy, str):
        activation_energy = f"{_core.shortest(float(activation_energy))}J/mol"
    return _core.fit_melt(_os.fsdecode(points), viscosity_unit,
                          None if reference_temperature is None else float(reference_temperature),
                          float(standard_shear_rate), None if shift_a is None else float(shift_a), activation_energy,
                          activation_energy_at, columns, _window(temperature_range), _window(shear_rate_range))
