# The extension module behind the package; its functions are private to the package.
from typing import Any, Dict, List, Optional, Tuple, Union

_Bytes = Union[bytes, bytearray, memoryview]

def load(file_names: List[bytes], lenient_header: bool = False, complete_tail: bool = False,
         leave_out_last_line: List[bytes] = ...) -> Tuple[List[str], Optional[Dict[str, Any]],
                                                          List[Dict[str, Any]]]: ...
def read_header(file_name: bytes, lenient_header: bool = False) -> Tuple[
    List[str], Optional[Dict[str, Any]], List[Dict[str, Any]]]: ...
def split_unit(full_name: str) -> Tuple[str, Optional[str]]: ...
def read_header_text(file_name: bytes, text: _Bytes, lenient_header: bool = False) -> Tuple[
    List[str], Optional[Dict[str, Any]], List[Dict[str, Any]], Optional[RowBlocks]]: ...

class RowBlocks:
    @property
    def zones(self) -> List[Tuple[List[int], List[int]]]: ...
    def read(self, buffer: _Bytes, start: int, end: int) -> Tuple[List[List[Any]], int,
                                                                     Optional[str]]: ...

ROW_PADDING: int
