# Type stub of the kelvara package: the names editors complete and type
# checkers know. The documentation is in the docstrings (help(kelvara.process)).

import os
from dataclasses import dataclass
from typing import Literal, Mapping, Optional, Sequence, Tuple, Union

import pandas as pd

_Path = Union[str, os.PathLike[str]]
_Files = Union[_Path, Sequence[_Path]]
_Columns = Union[None, Literal["default", "auto"], str, Mapping[str, Union[str, int]]]
_GoodStatus = Union[None, str, Sequence[int]]
_Site = Union[None, _Path, Mapping[str, Mapping[str, Union[float, int, str]]]]
_Plane = Union[None, Literal["auto"], Tuple[float, float, float], Sequence[float]]

__version__: str

class Error(Exception): ...
class PlaneFitRefused(Error): ...
class KelvaraWarning(UserWarning): ...

def process(
    files: _Files,
    *,
    method: Literal["standard", "default"] = "standard",
    site: _Site = None,
    planar_fit: _Plane = None,
    columns: _Columns = None,
    good_status: _GoodStatus = None,
    range_file: Optional[_Path] = None,
    unit_check: bool = True,
    jobs: int = 1,
    progress: bool = False,
) -> pd.DataFrame: ...

@dataclass(frozen=True)
class PlaneFit:
    b: Tuple[float, float, float]
    stderr: Tuple[float, float, float]
    alpha: float
    beta: float
    r2: Optional[float]
    rms: float
    max_residual: float
    sectors: list[int]
    used: int
    excluded: pd.DataFrame

def planefit(
    files: _Files,
    *,
    min_records: int = 9000,
    u_min: float = 0.5,
    w_max: float = 1.0,
    columns: _Columns = None,
    good_status: _GoodStatus = None,
    range_file: Optional[_Path] = None,
    unit_check: bool = True,
    progress: bool = False,
) -> PlaneFit: ...
def read_results(path: _Path) -> pd.DataFrame: ...
def read_raw(path: _Path, *, columns: _Columns = None, unit_check: bool = True, progress: bool = False) -> pd.DataFrame: ...
