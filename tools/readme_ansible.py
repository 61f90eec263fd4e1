"""The README's Ansible tasks, read by Ansible's own code (Debian's Python, which has it).

  readme_ansible.py modules PLAYBOOK
      Each task gives its module only the options the module documents, every option it requires,
      and a value among the option's choices.
  readme_ansible.py conditions PLAYBOOK OUTCOMES
      Every condition of the tasks (when, until, changed_when, failed_when), templated as Ansible
      templates it: over the result of the setup's task as check mode leaves it, skipped and
      without an exit code, no condition may fail, and the setup neither fails nor is retried;
      over each exit code that OUTCOMES (setup/outcomes.def) defines for a run, the setup fails,
      is retried, reports a change and restarts the machine as that code asks; over each code of
      the check (/verify), which runs in check mode too and changes nothing, the check fails, is
      retried and leads to the setup as that code asks.
"""

import json
import re
import subprocess
import sys

import yaml
from ansible.errors import AnsibleError
from ansible.parsing.dataloader import DataLoader
from ansible.parsing.mod_args import ModuleArgsParser
from ansible.playbook.conditional import Conditional
from ansible.template import Templar

CONDITIONS = ("when", "until", "changed_when", "failed_when")

# What each code asks of a deployment tool: set up (0, 3010), another copy running (1618, to be
# retried), and the codes that leave the machine as it was.
SET_UP = {0, 3010}
RETRY = {1618}
RESTART = {3010}
UNCHANGED = {1602, 1618, 1639}
# What each code of the check asks: the machine set up (0), or not (1, which the setup mends).
CHECKED = {0, 1}
DIFFERS = {1}


def tasks(items, inherited=()):
    """Every task of a list, with the conditions of the blocks around it."""
    for item in items or []:
        if "block" in item:
            conditions = inherited + ((item["when"],) if "when" in item else ())
            for part in ("block", "rescue", "always"):
                yield from tasks(item.get(part), conditions)
        else:
            yield item, inherited


def block_variables(items):
    """The variables that the blocks of a list set, all together."""
    variables = {}
    for item in items or []:
        variables.update(item.get("vars") or {})
        for part in ("block", "rescue", "always"):
            variables.update(block_variables(item.get(part)))
    return variables


def play(path):
    return yaml.safe_load(open(path, encoding="utf-8"))[0]["tasks"]


def playbook_tasks(path):
    return list(tasks(play(path)))


def modules(path):
    found = [(task["name"], *ModuleArgsParser(task).parse()[:2])
             for task, _ in playbook_tasks(path)]
    if not found:
        return ["the README's Ansible section holds no task"], 0
    docs = json.loads(subprocess.run(
        ["ansible-doc", "-j", "-t", "module", *{action for _, action, _ in found}],
        check=True, capture_output=True, text=True).stdout)
    faults = []
    for name, action, args in found:
        options = docs[action]["doc"].get("options") or {}
        named = {alias: option for option, described in options.items()
                 for alias in [option, *described.get("aliases", [])]}
        given = {named[key]: value for key, value in args.items() if key in named}
        faults += [f"{name}: {action} has no option {key}"
                   for key in args if key not in named and not key.startswith("_")]
        faults += [f"{name}: {action} requires {option}"
                   for option, described in options.items()
                   if described.get("required") and option not in given]
        faults += [f"{name}: {action} takes {option} as one of {options[option]['choices']}, "
                   f"not {value}"
                   for option, value in given.items()
                   if isinstance(value, str) and "{{" not in value
                   and options[option].get("choices") and value not in options[option]["choices"]]
    return faults, len(found)


def holds(condition, variables):
    """Whether a condition holds, templated as Ansible templates a task's conditions."""
    loader = DataLoader()
    conditional = Conditional(loader=loader)
    conditional.when = condition if isinstance(condition, list) else [condition]
    return conditional.evaluate_conditional(Templar(loader=loader, variables=variables),
                                            variables)


def exit_codes(outcomes, kind):
    """The codes of a run ("SETUP") or of a check ("VERIFY"), which also ends with 1618 and 1639."""
    text = open(outcomes, encoding="utf-8").read()
    codes = {int(code) for code in re.findall(rf"^{kind}_OUTCOME\(\w+, (\d+),", text, re.M)}
    return sorted(codes | ({1618, 1639} if kind == "VERIFY" else set()))


def runs_setup(task, verify):
    """Whether the task runs setup.exe, for a check (/verify) or for a run."""
    argv = ModuleArgsParser(task).parse()[1].get("argv") or [""]
    return str(argv[0]).endswith("setup.exe") and ("/verify" in argv) == verify


def conditions(path, outcomes):
    found = playbook_tasks(path)
    setup = [task for task, _ in found if runs_setup(task, verify=False)]
    checks = [task for task, _ in found if runs_setup(task, verify=True)]
    if len(setup) != 1 or "register" not in setup[0] or len(checks) > 1:
        return ["not one registered task runs setup.exe, and at most one checks with it"], 0
    setup = setup[0]
    result = setup["register"]
    # Every other task's result as one that went well leaves it, a check that found a difference.
    others = {task["register"]: {"exists": True, "path": r"C:\staging", "value": "1.00", "rc": 1}
              for task, _ in found if "register" in task and task is not setup}
    variables = {"inventory_hostname": "machine", **others, **block_variables(play(path))}
    faults, evaluated = [], 0

    def evaluate(task, condition, what, answer):
        nonlocal evaluated
        evaluated += 1
        try:
            return holds(condition, {**variables, result: answer})
        except AnsibleError as error:
            faults.append(f"{task['name']}: {condition!r} over {what}: {error.message}")
            return None

    skipped = {"changed": False, "skipped": True,
               "msg": "remote module does not support check mode"}
    for task, inherited in found:
        for key in CONDITIONS:
            for condition in [task.get(key)] if task.get(key) else []:
                evaluate(task, condition, "the skipped setup", skipped)
        for condition in inherited:
            evaluate(task, condition, "the skipped setup", skipped)
    for key, wanted in (("failed_when", False), ("until", True)):
        if evaluate(setup, setup[key], "the skipped setup", skipped) is not wanted:
            faults.append(f"{setup['name']}: {key} must be {wanted} where the setup was skipped")

    reboot = [task for task, _ in found if "win_reboot" in ModuleArgsParser(task).parse()[0]]
    for code in exit_codes(outcomes, "SETUP"):
        ran = {"changed": True, "rc": code, "stdout": "", "stderr": ""}
        expected = {"failed_when": code not in SET_UP, "until": code not in RETRY,
                    "changed_when": code not in UNCHANGED}
        for key, wanted in expected.items():
            got = evaluate(setup, setup[key], f"exit code {code}", ran)
            if got is not None and got is not wanted:
                faults.append(f"{setup['name']}: {key} is {got} for exit code {code}")
        for task in reboot:
            got = evaluate(task, task.get("when", True), f"exit code {code}", ran)
            if got is not None and got is not (code in RESTART):
                faults.append(f"{task['name']}: restarts {'' if got else 'not '}for {code}")
    for check in checks:
        faults += check_conditions(check, setup, found, variables, evaluate, outcomes)
    return faults, evaluated


def check_conditions(check, setup, found, variables, evaluate, outcomes):
    """The check runs in check mode too, changes nothing, and leads to the setup only where the
    machine differs."""
    faults = [] if check.get("check_mode") is False else [
        f"{check['name']}: runs only with check_mode: false in check mode"]
    inherited = next(conditions for task, conditions in found if task is setup)
    for code in exit_codes(outcomes, "VERIFY"):
        ran = {"changed": True, "rc": code, "stdout": "", "stderr": ""}
        with_check = {**variables, check["register"]: ran}
        expected = {"failed_when": code not in CHECKED, "until": code not in RETRY,
                    "changed_when": False}
        for key, wanted in expected.items():
            got = holds(check[key], with_check)
            if got is not wanted:
                faults.append(f"{check['name']}: {key} is {got} for exit code {code}")
        setup_runs = all(holds(condition, with_check) for condition in inherited)
        if setup_runs is not (code in DIFFERS):
            faults.append(f"{setup['name']}: runs {'' if setup_runs else 'not '}after {code}")
    return faults


def main(argv):
    if len(argv) >= 2 and argv[0] == "modules":
        faults, count = modules(argv[1])
        print("\n".join(faults) or f"{count} tasks")
    elif len(argv) >= 3 and argv[0] == "conditions":
        faults, count = conditions(argv[1], argv[2])
        print("\n".join(faults) or f"{count} conditions")
    else:
        sys.exit(__doc__)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
