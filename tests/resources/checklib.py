"""Reporting shared by the resource check scripts."""


class Failed(Exception):
    pass


def ok(message):
    print("ok: " + message)


def require(condition, message):
    if not condition:
        raise Failed(message)
