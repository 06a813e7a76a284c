# Type stubs of the screenfilter module.
from collections.abc import Mapping, Sequence
from os import PathLike
from typing import Any, NamedTuple

import numpy as np
import numpy.typing as npt

CaseLike = str | bytes | PathLike[str] | Mapping[str, float | str]
Values = Mapping[str, float | str]
Grid = Sequence[float] | npt.NDArray[np.float64]

PRESSURE_UNITS: tuple[str, ...]

class Error(ValueError): ...
class CaseFileError(Error): ...
class UnknownKeyError(Error): ...
class BadValueError(Error): ...
class CaseRefusedError(Error): ...
class OptionError(Error): ...
class PointsFileError(Error): ...
class MeltFitError(Error): ...

class Screen(NamedTuple):
    screen: int
    mesh: float
    wire: float
    opening: float
    open_area: float
    screen_factor: float
    wall_shear_rate: float
    apparent_viscosity: float
    pressure_drop: float

class Result:
    status: str
    message: str
    total: float | None
    unit: str
    screens: list[Screen]
    diagnoses: list[dict[str, str]]
    warnings: list[str]
    inputs: dict[str, float | str]
    details: dict[str, Any]
    def total_in(self, unit: str) -> float: ...

def run(case: CaseLike, *, values: Values | None = ..., check: bool = ..., strict: bool = ..., unit: str = ...,
        **keys: float | str) -> Result: ...
def sweep(case: CaseLike, *, values: Values | None = ..., vary: Mapping[str, Grid] | None = ..., check: bool = ...,
          unit: str = ..., details: bool = ..., threads: int | None = ...,
          **grids: Grid) -> dict[str, npt.NDArray[Any]]: ...
def solve(case: CaseLike, find: str | None = ..., limit: str | None = ...,
          range: tuple[float, float] | str | None = ..., *, values: Values | None = ...) -> dict[str, Any]: ...
def fit_melt(points: str | PathLike[str], *, viscosity_unit: str | None = ..., reference_temperature: float | None = ...,
             standard_shear_rate: float = ..., shift_a: float | None = ..., activation_energy: float | str | None = ...,
             activation_energy_at: str | None = ..., columns: str | Mapping[str, int | str] | None = ...,
             temperature_range: tuple[float, float] | str | None = ...,
             shear_rate_range: tuple[float, float] | str | None = ...) -> dict[str, Any]: ...
