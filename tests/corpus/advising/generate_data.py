#!/usr/bin/env python3
"""Fills the advising schema with rows on which most corpus statements hit.

    python3 generate_data.py [--seed N] [--check] > advising.data.sql

Writes INSERT statements (parents before children) to standard output. The
output is committed beside this script; the tests load it and never run the
script. The same seed gives the same output, byte for byte.

How: a small base of random rows drawn from the literals the statements
compare with (advising.literals.tsv) plus decoys, NULLs and duplicates; then,
for every statement, seed rows: one row per table alias that meets all of
that alias's conditions together, the aliases linked through the statement's
join equalities, IN sub-selects and scalar sub-selects (MIN/MAX, <, >).
Each statement gets a matching set of seed rows (some a second one, so that
DISTINCT and counts matter) and decoy sets that each miss one condition,
join or NOT IN exclusion, or meet a NOT (...) condition's inside, so that a
rewrite that loses that part returns other rows. See README.md. Whether a value meets a condition is decided by SQLite itself, on a
probe column of the same type, so that text-versus-number comparisons
(NUMBER is TEXT) and LIKE behave as in the statements.

--check loads schema and output into a database in memory (foreign keys on)
and prints, on standard error, how many statements return rows.
"""

import argparse
import random
import re
import sqlite3
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
SCHEMA = HERE / "advising.schema.sql"
QUERIES = HERE / "advising.queries.sql"
LITERALS = HERE / "advising.literals.tsv"

# --- the schema -------------------------------------------------------------------------


def read_schema():
    """{TABLE: [(column, affinity, not_null)]} and {TABLE: [primary key columns]}, upper case."""
    text = SCHEMA.read_text(encoding="utf-8")
    tables, keys = {}, {}
    for m in re.finditer(r"CREATE TABLE (\w+) \((.*?)\n\);", text, re.S):
        name = m.group(1).upper()
        columns, pk = [], []
        for line in m.group(2).splitlines():
            line = line.split("--")[0].strip().rstrip(",")
            if not line:
                continue
            if line.startswith("PRIMARY KEY"):
                pk = [c.strip().upper() for c in re.search(r"\((.*)\)", line).group(1).split(",")]
            elif line.startswith("FOREIGN KEY"):
                continue
            else:
                parts = line.split()
                columns.append((parts[0].upper(), parts[1].upper(), "NOT NULL" in line))
        tables[name] = columns
        keys[name] = pk
    return tables, keys


TABLES, PRIMARY_KEYS = read_schema()

# Which entity a key column holds: (table, its key column). Owner tables
# create new keys; the others take keys that exist.
ENTITY = {
    "COURSE_ID": ("COURSE", "COURSE_ID"),
    "PRE_COURSE_ID": ("COURSE", "COURSE_ID"),
    "OFFERING_ID": ("COURSE_OFFERING", "OFFERING_ID"),
    "COURSE_OFFERING_ID": ("COURSE_OFFERING", "OFFERING_ID"),
    "INSTRUCTOR_ID": ("INSTRUCTOR", "INSTRUCTOR_ID"),
    "PROGRAM_ID": ("PROGRAM", "PROGRAM_ID"),
    "STUDENT_ID": ("STUDENT", "STUDENT_ID"),
    "SEMESTER_ID": ("SEMESTER", "SEMESTER_ID"),
}
# Columns that hold a key under another name.
ENTITY_BY_TABLE = {
    ("COURSE_OFFERING", "SEMESTER"): ("SEMESTER", "SEMESTER_ID"),
    ("STUDENT_RECORD", "SEMESTER"): ("SEMESTER", "SEMESTER_ID"),
    ("STUDENT", "ADMIT_TERM"): ("SEMESTER", "SEMESTER_ID"),
    ("STUDENT", "PREDICTED_GRADUATION_SEMESTER"): ("SEMESTER", "SEMESTER_ID"),
}
OWN_KEY = {
    "COURSE": "COURSE_ID",
    "COURSE_OFFERING": "OFFERING_ID",
    "INSTRUCTOR": "INSTRUCTOR_ID",
    "PROGRAM": "PROGRAM_ID",
    "STUDENT": "STUDENT_ID",
    "SEMESTER": "SEMESTER_ID",
    "OFFERING_INSTRUCTOR": "OFFERING_INSTRUCTOR_ID",
    "JOBS": "JOB_ID",
    "REQUIREMENT": "REQUIREMENT_ID",
    "TA": "CAMPUS_JOB_ID",
}
# Insert order: parents first.
ORDER = [
    "SEMESTER", "COURSE", "INSTRUCTOR", "PROGRAM", "STUDENT", "COURSE_OFFERING",
    "OFFERING_INSTRUCTOR", "PROGRAM_COURSE", "PROGRAM_REQUIREMENT", "COURSE_PREREQUISITE",
    "AREA", "STUDENT_RECORD", "GSI", "TA", "COMMENT_INSTRUCTOR", "COURSE_TAGS_COUNT",
    "JOBS", "REQUIREMENT",
]


def entity_of(table, column):
    if (table, column) in ENTITY_BY_TABLE:
        return ENTITY_BY_TABLE[(table, column)]
    return ENTITY.get(column)


def affinity(table, column):
    for name, aff, _ in TABLES[table]:
        if name == column:
            return aff
    raise KeyError(f"{table}.{column}")


# --- literals of the statements --------------------------------------------------------


def unquote(literal):
    if len(literal) >= 2 and literal[0] == literal[-1] and literal[0] in "\"'":
        return literal[1:-1]
    return literal


def read_literals():
    pools = {}
    with LITERALS.open(encoding="utf-8") as f:
        next(f)
        for line in f:
            table, column, op, literal, _ = line.rstrip("\n").split("\t")
            pools.setdefault((table.upper(), column.upper()), []).append((op, unquote(literal)))
    return pools


LITERAL_POOLS = read_literals()

SEASONS = ["WN", "Winter", "SP", "Spring", "SS", "Spring-Summer", "SU", "Summer", "FA", "Fall"]
YEARS = list(range(2003, 2020))
TIMES = ["08:00:00", "08:30:00", "09:00:00", "10:00:00", "10:30:00", "11:30:00", "12:00:00",
         "13:00:00", "14:30:00", "15:00:00", "16:00:00", "17:00:00", "18:30:00", "20:00:00",
         "21:30:00"]
# Decoy sets per statement, each missing one condition, join or NOT IN.
MAX_DECOYS = 6
DECOY_WORDS = ["Survey", "Seminar", "Workshop", "Studio", "Practicum"]


class Generator:
    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.rows = {t: [] for t in TABLES}
        self.keys_taken = {t: set() for t in TABLES}
        self.next_id = {t: 1 for t in TABLES}
        self.probe = sqlite3.connect(":memory:")
        self.probe.execute("CREATE TABLE p (t TEXT, i INTEGER, r REAL)")
        self.log = []

    # --- rows -------------------------------------------------------------------

    def new_id(self, table):
        value = self.next_id[table]
        self.next_id[table] += 1
        return value

    def existing(self, table):
        return [r[OWN_KEY[table]] for r in self.rows[table]]

    def add(self, table, row):
        """Adds a row when its primary key is free; False otherwise."""
        pk = tuple(row.get(c) for c in PRIMARY_KEYS[table])
        if PRIMARY_KEYS[table]:
            if pk in self.keys_taken[table]:
                return False
            self.keys_taken[table].add(pk)
        own = OWN_KEY.get(table)
        if own is not None and isinstance(row.get(own), int):
            self.next_id[table] = max(self.next_id[table], row[own] + 1)
        self.rows[table].append(row)
        return True

    def pick(self, values):
        return values[self.rng.randrange(len(values))]

    def pool(self, table, column, ops=("=", "IN")):
        return [v for op, v in LITERAL_POOLS.get((table, column), []) if op in ops]

    def like_text(self, pattern):
        inner = pattern.replace("_", "x")
        if inner.startswith("%") and inner.endswith("%") and len(inner) > 1:
            return f"{self.pick(DECOY_WORDS)} {inner.strip('%')} {self.pick(['I', 'II', 'Lab'])}"
        return inner.replace("%", "")

    def random_value(self, table, column, nulls=True):
        """A value for a column no condition speaks of."""
        entity = entity_of(table, column)
        if entity and entity[0] != table:
            keys = self.existing(entity[0])
            return self.pick(keys) if keys else None
        aff = affinity(table, column)
        nullable = not any(c == column and nn for c, _, nn in TABLES[table])
        if nulls and nullable and column not in PRIMARY_KEYS[table] and self.rng.random() < 0.08:
            return None
        literal = self.pool(table, column) + [self.like_text(p) for p in self.pool(table, column, ("LIKE",))]
        if column in ("NUMBER",):
            return str(self.pick([self.rng.randrange(100, 996)] + [int(x) for x in literal if x.isdigit()]))
        if column in ("START_TIME", "END_TIME"):
            return self.pick(TIMES)
        if column in ("MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY", "SUNDAY",
                      "HAS_DISCUSSION", "HAS_LAB", "HAS_PROJECTS", "HAS_EXAMS", "HAS_FINAL_PROJECT",
                      "HAS_FINAL_EXAM", "ALLOW_AUDIT", "EARN_CREDIT"):
            return self.pick(["Y", "N"])
        if column == "YEAR":
            return self.pick(YEARS)
        if column == "SEMESTER" and table == "SEMESTER":
            return self.pick(SEASONS)
        if column == "WORKLOAD":
            return self.rng.randrange(1, 6)
        if column == "GRADE":
            return self.pick(["A", "A-", "B+", "B", "C", "P"])
        if column == "CATEGORY":
            return self.pick(["MDE", "PreMajor", "Core", "ULCS", "Other", "Elective"])
        if column == "CREDITS":
            return self.pick(["3", "4", "14", "15", "16", "18"])
        if aff == "INTEGER":
            return self.rng.randrange(0, 200)
        if aff == "REAL":
            return round(self.rng.uniform(2.0, 4.0), 2)
        if literal and self.rng.random() < 0.7:
            return self.pick(literal)
        return f"{column.lower()} {self.pick(DECOY_WORDS)} {self.rng.randrange(1000)}"

    def random_row(self, table, nulls=True, **given):
        row = {}
        for column, _, _ in TABLES[table]:
            if column in given:
                row[column] = given[column]
            elif OWN_KEY.get(table) == column:
                row[column] = self.new_id(table)
            else:
                row[column] = self.random_value(table, column, nulls)
        return row

    # --- the base ----------------------------------------------------------------

    def base(self):
        # Semesters in the order of time, so that a later one has a larger id.
        for year in YEARS:
            for season in SEASONS:
                self.add("SEMESTER", {"SEMESTER_ID": self.new_id("SEMESTER"), "SEMESTER": season, "YEAR": year})
        for _ in range(50):
            self.add("COURSE", self.random_row("COURSE"))
        for _ in range(25):
            self.add("INSTRUCTOR", self.random_row("INSTRUCTOR"))
        for name in ["CS-LSA", "CS-Engineering", "Core Studies", "Data Science", "Music"]:
            self.add("PROGRAM", self.random_row("PROGRAM", NAME=name))
        # Student 1 is "the current student" of the statements.
        self.add("STUDENT", self.random_row("STUDENT", STUDENT_ID=1, FIRSTNAME="Sidney", LASTNAME="Soto"))
        for _ in range(12):
            self.add("STUDENT", self.random_row("STUDENT"))
        for _ in range(90):
            self.add("COURSE_OFFERING", self.random_row("COURSE_OFFERING"))
        for _ in range(100):
            self.add("OFFERING_INSTRUCTOR", self.random_row("OFFERING_INSTRUCTOR"))
        counts = {"PROGRAM_COURSE": 60, "PROGRAM_REQUIREMENT": 10, "COURSE_PREREQUISITE": 30,
                  "AREA": 40, "STUDENT_RECORD": 50, "GSI": 15, "TA": 8, "COMMENT_INSTRUCTOR": 15,
                  "COURSE_TAGS_COUNT": 25, "JOBS": 6, "REQUIREMENT": 6}
        for table, n in counts.items():
            for _ in range(n):
                given = {}
                if table == "STUDENT_RECORD" and self.rng.random() < 0.4:
                    given["STUDENT_ID"] = 1
                if table == "COURSE_TAGS_COUNT":
                    given["COURSE_ID"] = self.pick(self.existing("COURSE"))
                self.add(table, self.random_row(table, **given))
        # Duplicates on purpose: the same course under two ids.
        for row in list(self.rows["COURSE"][:5]):
            self.add("COURSE", dict(row, COURSE_ID=self.new_id("COURSE")))

    # --- conditions ----------------------------------------------------------------

    def meets(self, table, column, value, condition):
        """Whether SQLite finds `value` in `table`.`column` to meet `condition` (op, operands)."""
        aff = affinity(table, column)
        col = {"TEXT": "t", "INTEGER": "i", "REAL": "r"}[aff]
        op, operands = condition
        self.probe.execute("DELETE FROM p")
        self.probe.execute(f"INSERT INTO p ({col}) VALUES (?)", (value,))
        if op == "BETWEEN":
            sql = f"SELECT count(*) FROM p WHERE {col} BETWEEN {operands[0]} AND {operands[1]}"
        elif op in ("IN", "NOT IN"):
            sql = f"SELECT count(*) FROM p WHERE {col} {op} ({', '.join(operands)})"
        else:
            sql = f"SELECT count(*) FROM p WHERE {col} {op} {operands[0]}"
        return self.probe.execute(sql).fetchone()[0] == 1

    def candidates(self, table, column, conditions, hint):
        out = []
        aff = affinity(table, column)
        for op, operands in conditions:
            for operand in operands:
                text = operand.strip()
                literal = unquote(text) if text[:1] in "\"'" else None
                if op in ("=", "IN") and literal is not None:
                    out.append(literal)
                elif op in ("LIKE",) and literal is not None:
                    out.append(self.like_text(literal))
                    out.append(literal.replace("%", ""))
                elif literal is not None:
                    out.append(literal)
                try:
                    number = eval(text, {"__builtins__": {}}) if re.fullmatch(r"[\d\s+.-]+", text) else None
                except SyntaxError:
                    number = None
                if isinstance(number, (int, float)):
                    for delta in (0, 1, -1, 5, -5, 50, -50):
                        v = number + delta
                        out.append(str(v) if aff == "TEXT" else v)
        # Several LIKE patterns on one column: one text holding them all.
        inner = [unquote(o).strip("%") for op, ops in conditions if op == "LIKE" for o in ops]
        if len(inner) > 1:
            out.append(" and ".join(inner))
        # Values that miss, for decoys.
        out += [v + "X" for v in out if isinstance(v, str)] + ["Y", "N", "Other " + self.pick(DECOY_WORDS)]
        if column in ("START_TIME", "END_TIME"):
            out += TIMES + ["01:00:00"]
        if column == "NUMBER":
            out += [str(n) for n in range(105, 996, 10)]
        if hint in ("min", "low"):
            out = [0, 1] + out
        elif hint in ("max", "high"):
            out = [9, 99] + out
        out.append(self.random_value(table, column))
        return out

    def choose(self, table, column, conditions, hint, negate=None):
        """A value meeting every condition (and failing `negate`, when given)."""
        for value in self.candidates(table, column, conditions + ([negate] if negate else []), hint):
            if value is None:
                continue
            if all(self.meets(table, column, value, c) for c in conditions) and (
                    negate is None or not self.meets(table, column, value, negate)):
                return value
        return None

    # --- statements --------------------------------------------------------------

    def seed(self, statement, number):
        """A matching set of rows, sometimes two, and decoy sets that each miss one condition."""
        try:
            shape = parse_statement(statement)
        except ParseError as e:
            self.log.append(f"{number}: not read ({e})")
            return
        # An "is there ..." statement answers one row whatever the data; every
        # other one goes without its matching rows, so that its answer is
        # "no" and turns with each part the decoys miss.
        asks = re.match(r"SELECT COUNT\( \* \) [>=] 0 ", statement) is not None
        matching = not asks or number % 2 == 0
        if matching:
            Seeder(self, shape, None, str(number)).run()
        if self.rng.random() < 0.35 and matching:
            Seeder(self, shape, None, str(number)).run()
        targets = [("cond", node, c) for node, cs in sorted(shape.conditions.items()) for c in cs
                   if shape.scope_of[node[0]] == 0]
        targets += [("eq", a, b) for a, b in shape.equal if shape.scope_of[a[0]] == 0 and shape.scope_of[b[0]] == 0]
        targets += [("neg", a, b) for a, b in shape.negative]
        targets += [("not", k) for k in range(shape.nots)]
        if len(targets) > MAX_DECOYS:
            targets = self.rng.sample(targets, MAX_DECOYS)
        for target in targets:
            if target[0] == "not":
                Seeder(self, parse_statement(statement, target[1]), None, f"{number} decoy").run()
            else:
                Seeder(self, shape, target, f"{number} decoy").run()

    def sql(self):
        out = ["-- Generated by generate_data.py: rows on which the advising statements hit.",
               "-- Do not edit; run the script again.",
               "PRAGMA foreign_keys = ON;", "BEGIN;"]
        for table in ORDER:
            columns = [c for c, _, _ in TABLES[table]]
            for row in self.rows[table]:
                values = ", ".join(sql_literal(row.get(c)) for c in columns)
                out.append(f"INSERT INTO {table} ({', '.join(columns)}) VALUES ({values});")
        out.append("COMMIT;")
        return "\n".join(out) + "\n"


def sql_literal(value):
    if value is None:
        return "NULL"
    if isinstance(value, (int, float)):
        return repr(value)
    return "'" + str(value).replace("'", "''") + "'"


# --- reading a statement ----------------------------------------------------------------


class ParseError(Exception):
    pass


TOKEN = re.compile(r'\s*(?:("[^"]*"|\'[^\']*\')|(\d+(?:\.\d+)?)|([A-Za-z_][A-Za-z0-9_]*(?:\.(?:[A-Za-z_][A-Za-z0-9_]*|\*))?)|(<=|>=|<>|!=|[=<>+\-*/(),]))')
AGGREGATES = {"MIN", "MAX", "COUNT", "SUM", "AVG"}
COMPARISONS = {"=", "<", ">", "<=", ">=", "<>", "!="}


def tokens_of(text):
    out, pos = [], 0
    text = text.strip()
    while pos < len(text):
        m = TOKEN.match(text, pos)
        if not m or m.end() == pos:
            raise ParseError(f"at {text[pos:pos + 20]!r}")
        pos = m.end()
        out.append(next(g for g in m.groups() if g is not None))
    return out


class Group(list):
    """Tokens inside one pair of brackets."""

    def is_select(self):
        return bool(self) and isinstance(self[0], str) and self[0].upper() == "SELECT"


def nest(tokens):
    stack = [Group()]
    for t in tokens:
        if t == "(":
            stack.append(Group())
        elif t == ")":
            if len(stack) == 1:
                raise ParseError("unbalanced")
            g = stack.pop()
            stack[-1].append(g)
        else:
            stack[-1].append(t)
    if len(stack) != 1:
        raise ParseError("unbalanced")
    return stack[0]


def upper(t):
    return t.upper() if isinstance(t, str) else None


class Scope:
    def __init__(self, index, parent, negative):
        self.index = index
        self.parent = parent
        self.negative = negative  # under NOT IN: not linked to the scopes outside
        self.aliases = {}  # alias -> table, or Scope for a derived table
        self.items = []  # select items (token lists)


class Shape:
    """What a statement says about its aliases: conditions per column, equalities, hints."""

    def __init__(self):
        self.scopes = []
        self.scope_of = {}  # scope index -> depth (0 top)
        self.conditions = {}  # node -> [(op, operands)]
        self.equal = []  # (node, node)
        self.negative = []  # (node, node): x NOT IN (sub-select or derived column giving y)
        self.hints = {}  # node -> "min" | "max" | "low" | "high"
        self.nodes = set()
        self.nots = 0  # NOT (...) conditions met
        self.flip = -1  # the one read as if it had no NOT

    def new_scope(self, parent, negative):
        s = Scope(len(self.scopes), parent, negative)
        self.scopes.append(s)
        self.scope_of[s.index] = 0 if parent is None else self.scope_of[parent.index] + 1
        return s


def parse_statement(text, flip=-1):
    shape = Shape()
    shape.flip = flip
    read_select(nest(tokens_of(text)), shape, None, False)
    return shape


def split_at(seq, words):
    parts, current = [], []
    for t in seq:
        if upper(t) in words:
            parts.append(current)
            current = []
        else:
            current.append(t)
    parts.append(current)
    return parts


def read_select(seq, shape, parent, negative):
    scope = shape.new_scope(parent, negative)
    clause_words = {"FROM", "WHERE", "GROUP", "ORDER", "LIMIT", "HAVING"}
    clauses, name = {}, "SELECT"
    for t in seq[1:]:
        if upper(t) in clause_words:
            name = upper(t)
            clauses.setdefault(name, [])
            continue
        clauses.setdefault(name, []).append(t)
    scope.items = split_at(clauses.get("SELECT", []), {","})
    ons = read_from(clauses.get("FROM", []), shape, scope)
    for cond in ons + [clauses.get("WHERE", [])]:
        read_conditions(cond, shape, scope)
    for cond in [clauses.get("HAVING", [])]:
        read_conditions(cond, shape, scope)
    # Sub-selects anywhere else (the select list) still get rows.
    for item in scope.items:
        for t in item:
            if isinstance(t, Group):
                visit_groups(t, shape, scope)
    return scope


def visit_groups(group, shape, scope):
    if group.is_select():
        read_select(group, shape, scope, False)
        return
    for t in group:
        if isinstance(t, Group):
            visit_groups(t, shape, scope)


def read_from(seq, shape, scope):
    ons = []
    # Split at commas and JOIN words; an ON part goes to the conditions.
    refs, current = [], []
    i = 0
    while i < len(seq):
        t = seq[i]
        u = upper(t)
        if u == "," or u == "JOIN":
            refs.append(current)
            current = []
        elif u in ("INNER", "LEFT", "OUTER"):
            pass
        elif u == "ON":
            cond = []
            i += 1
            while i < len(seq) and upper(seq[i]) not in (",", "JOIN", "INNER", "LEFT"):
                cond.append(seq[i])
                i += 1
            ons.append(cond)
            continue
        else:
            current.append(t)
        i += 1
    refs.append(current)
    for ref in refs:
        if not ref:
            continue
        words = [t for t in ref if upper(t) != "AS"]
        if isinstance(words[0], Group):
            derived = read_select(words[0], shape, scope, False) if words[0].is_select() else None
            if derived and len(words) > 1:
                scope.aliases[words[1].upper()] = derived
        else:
            table = words[0].upper()
            alias = words[1].upper() if len(words) > 1 else table
            if table not in TABLES:
                raise ParseError(f"table {table}")
            scope.aliases[alias] = table
    return ons


def resolve(name, scope, shape):
    """The node (scope index, alias, column) of a column reference, or None."""
    if not isinstance(name, str) or "." not in name:
        return None
    alias, column = name.upper().split(".", 1)
    s = scope
    while s is not None:
        if alias in s.aliases:
            target = s.aliases[alias]
            if isinstance(target, Scope):  # a column of a derived table: what its select item names
                for item in target.items:
                    words = [t for t in item if isinstance(t, str)]
                    if words and (words[-1].upper() == column or words[0].upper().endswith("." + column)):
                        if len(item) == 1 or (len(item) == 3 and upper(item[1]) == "AS"):
                            return resolve(item[0], target, shape)
                return None
            if column == "*" or column not in [c for c, _, _ in TABLES[target]]:
                return None
            node = (s.index, alias, column)
            shape.nodes.add(node)
            return node
        s = s.parent
    return None


def table_of(node, shape):
    return shape.scopes[node[0]].aliases[node[1]]


def aggregate_of(group, shape, scope, negative=False):
    """For a scalar sub-select: its scope and the node and aggregate of its single item."""
    sub = read_select(group, shape, scope, negative)
    if len(sub.items) != 1:
        return sub, None, None
    item = [t for t in sub.items[0] if upper(t) != "DISTINCT"]
    if len(item) == 2 and upper(item[0]) in AGGREGATES and isinstance(item[1], Group) and len(item[1]) == 1:
        return sub, resolve(item[1][0], sub, shape), upper(item[0])
    if len(item) == 1:
        return sub, resolve(item[0], sub, shape), None
    return sub, None, None


def literal_text(seq):
    """An operand made of literals and + - (e.g. 400 + 100), as SQL text, or None."""
    if not seq or any(isinstance(t, Group) for t in seq):
        return None
    for t in seq:
        if not (t[:1] in "\"'" or re.fullmatch(r"\d+(\.\d+)?", t) or t in "+-"):
            return None
    return " ".join("'" + unquote(t) + "'" if t[:1] in "\"'" else t for t in seq)


def read_conditions(seq, shape, scope):
    if not seq:
        return
    # AND splits the conjuncts, except the AND of BETWEEN.
    conjuncts, current, between = [], [], False
    for t in seq:
        u = upper(t)
        if u == "BETWEEN":
            between = True
        if u == "AND":
            if between:
                between = False
                current.append(t)
                continue
            conjuncts.append(current)
            current = []
            continue
        current.append(t)
    conjuncts.append(current)
    for c in conjuncts:
        read_conjunct(c, shape, scope)


def read_conjunct(c, shape, scope):
    if not c:
        return
    if len(c) == 1 and isinstance(c[0], Group) and not c[0].is_select():
        alternatives = split_at(c[0], {"OR"})
        read_conditions(alternatives[0], shape, scope)  # the first way is enough to meet it
        return
    if any(upper(t) == "OR" for t in c):
        read_conditions(split_at(c, {"OR"})[0], shape, scope)
        return
    if upper(c[0]) == "NOT":
        # Left to the base rows, except for the decoy that meets it the other way.
        index = shape.nots
        shape.nots += 1
        if index == shape.flip:
            read_conjunct(c[1:], shape, scope)
        return
    left = resolve(c[0], scope, shape)
    if len(c) >= 3 and upper(c[1]) == "NOT" and upper(c[2]) in ("IN", "LIKE"):
        op, rest = "NOT " + upper(c[2]), c[3:]
    elif len(c) >= 2:
        op, rest = (upper(c[1]) if isinstance(c[1], str) else None), c[2:]
    else:
        return
    if isinstance(c[0], Group) and c[0].is_select():
        read_select(c[0], shape, scope, False)  # (select count(...) ...) = n: its rows at least
        return
    if left is None:
        for t in c:
            if isinstance(t, Group):
                visit_groups(t, shape, scope)
        return
    if op in ("IN", "NOT IN") and len(rest) == 1 and isinstance(rest[0], Group):
        group = rest[0]
        if group.is_select():
            sub, node, _ = aggregate_of(group, shape, scope, negative=op == "NOT IN")
            if node is not None:
                (shape.equal if op == "IN" else shape.negative).append((left, node))
            return
        if op == "NOT IN" and len(group) == 1:
            node = resolve(group[0], scope, shape)
            if node is not None:
                shape.negative.append((left, node))
            return
        values = split_at(group, {","})
        texts = [literal_text(v) for v in values]
        if all(texts):
            shape.conditions.setdefault(left, []).append((op, texts))
        return  # NOT IN (derived.column): fresh keys differ anyway
    if op == "BETWEEN":
        parts = split_at(rest, {"AND"})
        if len(parts) == 2 and literal_text(parts[0]) and literal_text(parts[1]):
            shape.conditions.setdefault(left, []).append(("BETWEEN", [literal_text(parts[0]), literal_text(parts[1])]))
        return
    if op in COMPARISONS or op in ("LIKE", "NOT LIKE"):
        if op == "!=":
            op = "<>"
        if len(rest) == 1 and isinstance(rest[0], Group) and rest[0].is_select():
            sub, node, agg = aggregate_of(rest[0], shape, scope)
            if node is None:
                return
            if op == "=":
                shape.equal.append((left, node))
                if agg in ("MIN", "MAX"):
                    shape.hints[left] = agg.lower()
            elif op in ("<", "<="):
                shape.hints[left], shape.hints[node] = "low", "high"
            elif op in (">", ">="):
                shape.hints[left], shape.hints[node] = "high", "low"
            return
        right = resolve(rest[0], scope, shape) if len(rest) == 1 else None
        if right is not None:
            if op == "=":
                shape.equal.append((left, right))
            elif op in ("<", "<="):
                shape.hints[left], shape.hints[right] = "low", "high"
            elif op in (">", ">="):
                shape.hints[left], shape.hints[right] = "high", "low"
            return
        text = literal_text(rest)
        if text is not None:
            shape.conditions.setdefault(left, []).append((op, [text]))


# --- seed rows for one statement -------------------------------------------------------


class Seeder:
    def __init__(self, gen, shape, negate, label):
        self.gen, self.shape, self.negate, self.label = gen, shape, negate, label
        self.parent = {}

    def find(self, n):
        while self.parent.get(n, n) != n:
            n = self.parent[n]
        return n

    def union(self, a, b):
        ra, rb = self.find(a), self.find(b)
        if ra != rb:
            self.parent[ra] = rb

    def linked(self, a, b):
        """Equalities do not reach from outside into a NOT IN sub-select."""
        sa, sb = self.shape.scopes[a[0]], self.shape.scopes[b[0]]
        return self.negative_root(sa) == self.negative_root(sb)

    def negative_root(self, scope):
        root = None
        s = scope
        while s is not None:
            if s.negative:
                root = s.index
            s = s.parent
        return root

    def run(self):
        shape, gen = self.shape, self.gen
        kind = self.negate[0] if self.negate else None
        for a, b in shape.equal:
            if self.linked(a, b) and not (kind == "eq" and self.negate[1:] == (a, b)):
                self.union(a, b)
        if kind == "neg":
            self.union(self.negate[1], self.negate[2])
        classes = {}
        for node in sorted(shape.nodes):
            classes.setdefault(self.find(node), []).append(node)
        values = {}
        # Semester rows are chosen, not made: find the one each SEMESTER alias meets.
        aliases = {(s.index, a): t for s in shape.scopes for a, t in s.aliases.items() if isinstance(t, str)}
        chosen_semester = {}
        for (si, alias), table in aliases.items():
            if table != "SEMESTER":
                continue
            node = (si, alias, "SEMESTER_ID")
            members = classes.get(self.find(node), [node])
            hint = next((shape.hints[m] for m in members if m in shape.hints), None)
            fits = []
            for row in gen.rows["SEMESTER"]:
                ok = True
                for column in ("SEMESTER", "YEAR", "SEMESTER_ID"):
                    for c in shape.conditions.get((si, alias, column), []):
                        hit = gen.meets("SEMESTER", column, row[column], c)
                        if kind == "cond" and self.negate[1:] == ((si, alias, column), c):
                            hit = not hit
                        ok = ok and hit
                if ok:
                    fits.append(row)
            if not fits:
                gen.log.append(f"{self.label}: no semester for {alias}")
                return
            row = fits[-1] if hint in ("max", "high") else fits[0] if hint in ("min", "low") else gen.pick(fits)
            chosen_semester[(si, alias)] = row
            values[self.find(node)] = row["SEMESTER_ID"]
        for root, members in classes.items():
            if root in values:
                continue
            value = self.class_value(members)
            if value is _FAIL:
                gen.log.append(f"{self.label}: no value for {members[0]}")
                return
            values[root] = value
        # One row per alias, parents first.
        made = []
        for table in ORDER:
            for (si, alias), t in sorted(aliases.items()):
                if t != table or table == "SEMESTER":
                    continue
                given = {}
                for column, _, _ in TABLES[table]:
                    node = (si, alias, column)
                    if node in shape.nodes:
                        given[column] = values[self.find(node)]
                own = OWN_KEY.get(table)
                if own and own in given and given[own] in set(gen.existing(table)):
                    continue  # that row exists (student 1)
                row = gen.random_row(table, nulls=False, **given)  # NULLs are for the base rows
                made.append((table, row))
        for table, row in made:
            if not gen.add(table, row):
                gen.log.append(f"{self.label}: {table} key taken")

    def class_value(self, members):
        shape, gen = self.shape, self.gen
        hint = next((shape.hints[m] for m in members if m in shape.hints), None)
        # A key: a new one when an alias of its own table is in the class.
        for m in members:
            table = table_of(m, shape)
            entity = entity_of(table, m[2])
            if entity and not any(shape.conditions.get(x) for x in members):
                owner = [x for x in members if table_of(x, shape) == entity[0] and x[2] == entity[1]]
                if owner:
                    return gen.new_id(entity[0]) if entity[0] != "SEMESTER" else gen.pick(gen.existing("SEMESTER"))
                keys = gen.existing(entity[0])
                if entity[0] == "SEMESTER" and hint in ("max", "high"):
                    return keys[-1]
                if entity[0] == "SEMESTER" and hint in ("min", "low"):
                    return keys[0]
                return gen.pick(keys)
        if all(table_of(m, shape) == "SEMESTER" for m in members):
            return None  # semester rows are chosen, not made
        # A value that meets the conditions of every member.
        conditions = [(m, c) for m in members for c in shape.conditions.get(m, [])]
        m0 = members[0]
        table = table_of(m0, shape)
        negate = self.negate[2] if self.negate and self.negate[0] == "cond" and self.negate[1] in members else None
        value = gen.choose(table, m0[2], [c for _, c in conditions if c != negate], hint, negate)
        if value is None and (conditions or negate):
            return _FAIL
        if value is None:
            value = gen.random_value(table, m0[2])
        return value


_FAIL = object()


# --- main -----------------------------------------------------------------------------------


def check(sql_text, statements):
    db = sqlite3.connect(":memory:")
    db.executescript(SCHEMA.read_text(encoding="utf-8"))
    db.executescript(sql_text)
    hits, empty = 0, []
    for number, statement in enumerate(statements, 1):
        # "Is there ..." statements hit when the count inside is not 0.
        for test in ("COUNT( * ) > 0", "COUNT( * ) = 0"):
            statement = statement.replace(test, "COUNT( * )")
        rows = db.execute(statement).fetchall()
        meaningful = rows and not (len(rows) == 1 and all(v in (0, None) for v in rows[0]))
        if meaningful:
            hits += 1
        else:
            empty.append(number)
    sizes = {t: db.execute(f"SELECT count(*) FROM {t}").fetchone()[0] for t in ORDER}
    return hits, empty, sizes


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=2018)
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    gen = Generator(args.seed)
    gen.base()
    statements = QUERIES.read_text(encoding="utf-8").splitlines()
    for number, statement in enumerate(statements, 1):
        gen.seed(statement, number)
    text = gen.sql()
    sys.stdout.write(text)
    if args.check:
        hits, empty, sizes = check(text, statements)
        print(f"{hits} of {len(statements)} statements return rows (not only 0 or NULL)", file=sys.stderr)
        print(f"empty: {empty}", file=sys.stderr)
        print(f"rows: {sizes}", file=sys.stderr)
        for line in gen.log:
            print(line, file=sys.stderr)


if __name__ == "__main__":
    main()
