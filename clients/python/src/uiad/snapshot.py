"""Reading a scan: the snapshot text (``ui_block``) as a tree of nodes, lookups, and the difference
between two scans."""

from __future__ import annotations

import re
from collections.abc import Iterator, Mapping
from dataclasses import dataclass, field
from typing import Any, Final

from .results import ElementSummary

# A tag with its attributes; values never hold a double quote (it is written as an entity) but may
# hold line breaks, so a tag can span several lines of the text.
_TAG: Final = re.compile(r'<(/?)([^\s<>/"]+)((?:\s+[^\s=<>/"]+="[^"]*")*)\s*(/?)>')
_ATTR: Final = re.compile(r'([^\s=<>/"]+)="([^"]*)"')
_ENTITIES: Final = (("&quot;", '"'), ("&lt;", "<"), ("&gt;", ">"), ("&amp;", "&"))


def _unescape(value: str) -> str:
    for entity, text in _ENTITIES:  # "&amp;" last: it was escaped first
        value = value.replace(entity, text)
    return value


def _pair(text: str | None) -> tuple[int, int] | None:
    if text is None:
        return None
    x, _, y = text.partition(",")
    return int(x), int(y)


@dataclass(eq=False)
class Node:
    """One element line of the snapshot text.

    ``attrs`` holds the line's attributes as written (entities decoded), without ``e``;
    ``summary`` is the element's entry of the scan's ``elements`` map when the snapshot was made
    from a whole scan answer.
    """

    role: str
    id: str
    attrs: dict[str, str]
    children: list[Node] = field(default_factory=list)
    parent: Node | None = field(default=None, repr=False)
    summary: ElementSummary | None = field(default=None, repr=False)

    @property
    def label(self) -> str:
        return self.attrs.get("label", "")

    @property
    def value(self) -> str:
        return self.attrs.get("value", "")

    @property
    def help(self) -> str:
        return self.attrs.get("help", "")

    @property
    def automation_id(self) -> str:
        """The UI Automation id (shown as ``class`` when several elements share it)."""
        return self.attrs.get("id", self.attrs.get("class", ""))

    @property
    def pos(self) -> tuple[int, int] | None:
        """Top-left corner in screen pixels; None for an element without a size."""
        return _pair(self.attrs.get("pos"))

    @property
    def size(self) -> tuple[int, int] | None:
        return _pair(self.attrs.get("size"))

    @property
    def center(self) -> tuple[int, int] | None:
        """The centre the daemon clicks, from the scan's map, else from ``pos`` and ``size``."""
        if self.summary is not None:
            return self.summary["cx"], self.summary["cy"]
        pos, size = self.pos, self.size
        if pos is None or size is None:
            return None
        return pos[0] + size[0] // 2, pos[1] + size[1] // 2

    @property
    def focused(self) -> bool:
        return self.attrs.get("focused") == "true"

    @property
    def enabled(self) -> bool:
        return self.attrs.get("disabled") != "true"

    @property
    def selected(self) -> bool:
        return self.attrs.get("selected") == "true"

    @property
    def checked(self) -> bool | None:
        """None for an element without a toggle state."""
        state = self.attrs.get("checked")
        return None if state is None else state == "true"

    def walk(self) -> Iterator[Node]:
        """This node and its descendants, in document order."""
        stack = [self]
        while stack:
            node = stack.pop()
            yield node
            stack.extend(reversed(node.children))


@dataclass(frozen=True)
class SnapshotDiff:
    """Element ids that only the newer scan has, only the older one has, and those in both whose
    line (or map entry) differs; each list in its scan's order."""

    added: list[str]
    removed: list[str]
    changed: list[str]

    def __bool__(self) -> bool:
        return bool(self.added or self.removed or self.changed)


class Snapshot:
    """The element tree of one scan.

    ``roots`` are the nodes at the outer level: the scanned window, and the elements the daemon
    found through descendant windows when the window's own tree does not hold them. Elements the
    text leaves out (groups without a name) are not nodes, but are in ``elements`` when the
    snapshot was made from a scan answer.
    """

    def __init__(
        self,
        ui_block: str,
        elements: Mapping[str, ElementSummary] | None = None,
        *,
        app: str = "",
        title: str = "",
    ) -> None:
        self.ui_block = ui_block
        self.elements: dict[str, ElementSummary] = dict(elements or {})
        self.app = app
        self.title = title
        self.roots: list[Node] = _parse(ui_block)
        self._by_id: dict[str, Node] = {}
        for node in self:
            self._by_id.setdefault(node.id, node)
            node.summary = self.elements.get(node.id)

    @classmethod
    def from_scan(cls, result: Mapping[str, Any]) -> Snapshot:
        """The snapshot of a ``scan`` answer (its ``ui_block``, ``elements``, ``app``, ``title``)."""
        return cls(
            result["ui_block"],
            result.get("elements"),
            app=result.get("app", ""),
            title=result.get("title", ""),
        )

    def __iter__(self) -> Iterator[Node]:
        for root in self.roots:
            yield from root.walk()

    def __len__(self) -> int:
        return len(self._by_id)

    def __contains__(self, id: object) -> bool:
        return id in self._by_id

    def __getitem__(self, id: str) -> Node:
        return self._by_id[id]

    def get(self, id: str) -> Node | None:
        return self._by_id.get(id)

    def find(
        self, role: str | None = None, label: str | None = None, *, partial: bool = False
    ) -> list[Node]:
        """Nodes with this role and label, in document order.

        ``partial``: the label need only contain ``label``, ignoring case.
        """
        wanted = None if label is None else label.casefold()

        def label_matches(node: Node) -> bool:
            if label is None:
                return True
            if partial:
                assert wanted is not None
                return wanted in node.label.casefold()
            return node.label == label

        return [
            node
            for node in self
            if (role is None or node.role == role) and label_matches(node)
        ]

    def find_one(
        self, role: str | None = None, label: str | None = None, *, partial: bool = False
    ) -> Node:
        """The first node ``find`` returns; LookupError when there is none."""
        found = self.find(role, label, partial=partial)
        if not found:
            raise LookupError(f"no element with role={role!r} label={label!r} in the snapshot")
        return found[0]

    def _states(self) -> dict[str, tuple[dict[str, str] | None, ElementSummary | None]]:
        states: dict[str, tuple[dict[str, str] | None, ElementSummary | None]] = {
            node.id: (node.attrs, node.summary) for node in self
        }
        for id, summary in self.elements.items():
            if id not in states:
                states[id] = (None, summary)
        return states

    def diff(self, older: Snapshot) -> SnapshotDiff:
        """What changed from ``older`` to this snapshot.

        An id counts as changed when its line differs (attributes, or shown versus not shown) or,
        when both snapshots carry the scan's map, its map entry differs. Ids are only comparable
        between scans of the same application; ``idx:`` ids number elements in walk order and may
        name different elements in two scans.
        """
        new, old = self._states(), older._states()
        changed = []
        for id, (attrs, summary) in new.items():
            if id not in old:
                continue
            old_attrs, old_summary = old[id]
            both_maps = summary is not None and old_summary is not None
            if attrs != old_attrs or (both_maps and summary != old_summary):
                changed.append(id)
        return SnapshotDiff(
            added=[id for id in new if id not in old],
            removed=[id for id in old if id not in new],
            changed=changed,
        )


def _parse(text: str) -> list[Node]:
    roots: list[Node] = []
    open_nodes: list[Node] = []
    position = 0
    for match in _TAG.finditer(text):
        between = text[position : match.start()]
        if between.strip():
            raise ValueError(f"snapshot text: unexpected {between.strip()[:40]!r} at {position}")
        position = match.end()
        closing, role, attr_text, self_closing = match.groups()
        if closing:
            if not open_nodes or open_nodes[-1].role != role:
                raise ValueError(f"snapshot text: unmatched </{role}> at {match.start()}")
            open_nodes.pop()
            continue
        attrs = {name: _unescape(value) for name, value in _ATTR.findall(attr_text)}
        node = Node(role=role, id=attrs.pop("e", ""), attrs=attrs)
        if open_nodes:
            node.parent = open_nodes[-1]
            open_nodes[-1].children.append(node)
        else:
            roots.append(node)
        if not self_closing:
            open_nodes.append(node)
    if text[position:].strip():
        raise ValueError(f"snapshot text: unexpected {text[position:].strip()[:40]!r} at {position}")
    if open_nodes:
        raise ValueError(f"snapshot text: <{open_nodes[-1].role}> is never closed")
    return roots
