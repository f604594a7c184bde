#!/usr/bin/env python3
"""The device service as a front end meets it: the real qdm_service on the
emulated devices, on a free port of the loopback address, driven by real
clients (Python's requests, and curl), every answer checked against the
OpenAPI document in the tree.

    service_test.py --service build-test/bin/qdm_service --openapi tools/qdm_service/openapi.json
"""
import argparse
import json
import os
import pty
import re
import select
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import warnings

import jsonschema
import requests

SERVICE = None
OPENAPI = None
START_BOUND = 60  # seconds for a service to start under the sanitizers
CALL_BOUND = 60   # seconds for one request


class OpenApi:
    """Checks an answer against the document: the route and method are
    documented, the status is among the route's answers, and the body
    matches the schema of its content type."""

    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            self.doc = json.load(f)
        with warnings.catch_warnings():
            # Newer releases prefer the referencing library; Debian's has
            # only the resolver, which both still take.
            warnings.simplefilter("ignore", DeprecationWarning)
            self.resolver = jsonschema.RefResolver.from_schema(self.doc)
        self.routes = []
        for template, item in self.doc["paths"].items():
            pattern = "^" + re.sub(r"\{[^}]+\}", "[^/]+", template) + "$"
            self.routes.append((re.compile(pattern), template, item))

    def _resolve(self, node):
        while "$ref" in node:
            _, node = self.resolver.resolve(node["$ref"])
        return node

    def check(self, method, path, response):
        for pattern, template, item in self.routes:
            if pattern.match(path):
                break
        else:
            raise AssertionError("route not documented: %s %s" % (method, path))
        operation = item.get(method.lower())
        assert operation is not None, "method not documented: %s %s" % (method, template)
        answers = operation["responses"]
        status = str(response.status_code)
        assert status in answers, "%s %s answered %s, not documented (%s)" % (
            method, template, status, sorted(answers))
        answer = self._resolve(answers[status])
        content = answer.get("content")
        if not content:
            return
        kind = response.headers.get("Content-Type", "").split(";")[0].strip()
        assert kind in content, "%s %s %s: content type %r, documented %s" % (
            method, template, status, kind, sorted(content))
        if kind == "text/event-stream":
            return
        schema = content[kind]["schema"]
        validator = jsonschema.Draft202012Validator(schema, resolver=self.resolver)
        errors = sorted(validator.iter_errors(response.json()), key=lambda e: list(e.path))
        assert not errors, "%s %s %s: %s\n%s" % (method, template, status, errors[0].message,
                                                 json.dumps(response.json(), ensure_ascii=False)[:2000])


class Service:
    """One qdm_service process on a home of its own."""

    def __init__(self, home, *options, env=None):
        self.home = home
        self.log = open(os.path.join(home, "service.err"), "wb") if os.path.isdir(home) else None
        if self.log is None:
            os.makedirs(home, exist_ok=True)
            self.log = open(os.path.join(home, "service.err"), "wb")
        self.proc = subprocess.Popen([SERVICE, "--dir", home, *options], stdout=subprocess.PIPE,
                                     stderr=self.log, start_new_session=True,
                                     env=None if env is None else {**os.environ, **env})
        self.url = self._first_line()
        with open(os.path.join(home, "qdm_service.token")) as f:
            self.token = f.read().strip()
        self.session = requests.Session()
        self.session.headers["Authorization"] = "Bearer " + self.token
        self.port = int(self.url.rsplit(":", 1)[1])

    def _first_line(self):
        end = time.monotonic() + START_BOUND
        line = b""
        while time.monotonic() < end and not line.endswith(b"\n"):
            ready, _, _ = select.select([self.proc.stdout], [], [], 0.5)
            if ready:
                byte = os.read(self.proc.stdout.fileno(), 1)
                if not byte:
                    break
                line += byte
        text = line.decode().strip()
        if not text.startswith("http://127.0.0.1:"):
            self.proc.kill()
            raise AssertionError("the service did not start: %r\n%s" % (text, self.errors()))
        return text

    def errors(self):
        if not self.log.closed:
            self.log.flush()
        with open(os.path.join(self.home, "service.err"), encoding="utf-8", errors="replace") as f:
            return f.read()

    def call(self, method, path, token=True, check=True, **options):
        session = self.session if token else requests
        options.setdefault("timeout", CALL_BOUND)
        response = session.request(method, self.url + path, **options)
        if check:
            OPENAPI.check(method, path.split("?")[0], response)
        return response

    def stop(self):
        """Ends the service by SIGTERM; answers its exit status."""
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
        try:
            status = self.proc.wait(timeout=60)
        except subprocess.TimeoutExpired:
            os.killpg(self.proc.pid, signal.SIGKILL)
            status = self.proc.wait()
        self.proc.stdout.close()
        self.log.close()
        self.session.close()
        return status


def managers_serving(home):
    """TEF manager processes serving the home's directory."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                args = f.read().split(b"\0")
        except OSError:
            continue
        if args and args[0].endswith(b"tef_manager") and any(home.encode() in a for a in args):
            found.append(int(pid))
    return found


def tape(home):
    path = os.path.join(home, "tape.txt")
    if not os.path.exists(path):
        return ""
    with open(path, encoding="cp1252") as f:
        return f.read()


def events_listener(service, kind, found, stop, last_id=None, wanted=lambda data: True):
    """Reads the event stream until an event of `kind` whose data is
    `wanted` arrived or `stop` is set (the service's keep-alive comes every
    15 s)."""
    headers = {"Last-Event-ID": last_id} if last_id else {}
    with service.call("GET", "/v1/eventos", stream=True, headers=headers, timeout=(CALL_BOUND, 20)) as response:
        found.append(("status", response.status_code, response.headers.get("Content-Type")))
        event = {}
        try:
            for raw in response.iter_lines(decode_unicode=True):
                if stop.is_set() or any(e[0] == "event" and e[1] == kind and wanted(e[2]) for e in found):
                    return
                if raw == "":
                    if event:
                        found.append(("event", event.get("event"), json.loads(event["data"]), event.get("id")))
                    event = {}
                    continue
                if raw.startswith(":"):
                    continue
                name, _, value = raw.partition(": ")
                event[name] = value
        except requests.exceptions.RequestException:
            return


class HomeTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="qdm-service-")

    def tearDown(self):
        shutil.rmtree(self.home, ignore_errors=True)


class SharedService(unittest.TestCase):
    """The routes on one service: each test leaves the printer as it found it."""

    @classmethod
    def setUpClass(cls):
        cls.home = tempfile.mkdtemp(prefix="qdm-service-")
        cls.master, slave = pty.openpty()
        cls.reader_path = os.ttyname(slave)
        cls.slave = slave
        cls.service = Service(cls.home, "--leitor", cls.reader_path, "--origem", "http://localhost:5173")

    @classmethod
    def tearDownClass(cls):
        status = cls.service.stop()
        os.close(cls.master)
        os.close(cls.slave)
        shutil.rmtree(cls.home, ignore_errors=True)
        assert status == 0, status

    def problem(self, response, status, codigo, campo=None):
        self.assertEqual(response.status_code, status, response.text)
        self.assertEqual(response.headers["Content-Type"].split(";")[0], "application/problem+json")
        body = response.json()
        self.assertEqual(body["codigo"], codigo, body)
        self.assertEqual(body["status"], status)
        self.assertTrue(body["mensagem"])
        if campo is not None:
            self.assertEqual(body.get("campo"), campo, body)
        return body

    def test_health_is_bare_and_every_other_route_needs_the_token(self):
        s = self.service
        health = s.call("GET", "/v1/saude", token=False)
        self.assertEqual(health.json(), {"estado": "ok"})
        for path in ["/v1/estado", "/v1/openapi.json", "/v1/eventos", "/v1/tarefas/" + "0" * 32, "/v1/nada"]:
            refused = s.call("GET", path, token=False, check=path != "/v1/nada")
            self.problem(refused, 401, "nao_autorizado")
            self.assertIn("Bearer", refused.headers["WWW-Authenticate"])
        wrong = s.call("GET", "/v1/estado", token=False, headers={"Authorization": "Bearer " + "0" * 64})
        self.problem(wrong, 401, "nao_autorizado")
        self.problem(s.call("GET", "/v1/nada", check=False), 404, "nao_encontrado")
        self.problem(s.call("GET", "/v1/tarefas/" + "f" * 32), 404, "tarefa_desconhecida")

    def test_the_document_served_is_the_one_in_the_tree(self):
        served = self.service.call("GET", "/v1/openapi.json").json()
        self.assertEqual(served, OPENAPI.doc)
        self.assertEqual(served["openapi"], "3.1.0")

    def test_status_names_the_printer_and_every_device(self):
        status = self.service.call("GET", "/v1/estado").json()
        printer = status["impressora"]
        self.assertTrue(printer["pronta"], printer)
        self.assertEqual((printer["tipo"], printer["fabricante"]), (1, "Bematech"))
        self.assertEqual(printer["serie"], "BE050375610000012345")
        self.assertRegex(printer["diaFiscal"]["data"], r"^\d{4}-\d\d-\d\d$")
        self.assertFalse(printer["diaFiscal"]["reducaoZPendente"])
        self.assertEqual(printer["diaFiscal"]["estado"], "aberto")
        self.assertEqual((printer["cupomAberto"], printer["papel"]), (False, "ok"))
        self.assertEqual(status["tef"], {"configurado": True, "ativo": True})
        self.assertEqual(status["visor"]["colunas"], 20)
        self.assertEqual(status["leitor"], {"configurado": True, "porta": self.reader_path})
        self.assertEqual(status["digitoVerificador"], {"configurado": True, "pronto": True})

    def test_cash_movements_readings_and_reports_reach_the_tape(self):
        s = self.service
        before = tape(self.home)
        supply = s.call("POST", "/v1/suprimento", json={"valor": "100.00"})
        self.assertEqual(supply.json(), {"operacao": "suprimento", "valor": "100.00", "avisos": []})
        withdrawal = s.call("POST", "/v1/sangria", data='{"valor": 20.50}',
                            headers={"Content-Type": "application/json"})
        self.assertEqual(withdrawal.json()["valor"], "20.50")
        receipt = s.call("POST", "/v1/comprovante-nao-fiscal",
                         json={"totalizador": "01", "valor": 5, "formaPagamento": "Dinheiro"})
        self.assertEqual(receipt.status_code, 200, receipt.text)
        report = s.call("POST", "/v1/relatorio-gerencial", json={"linhas": ["FECHAMENTO DO TURNO", "Conceição"]})
        self.assertEqual(report.json()["linhas"], 2)
        self.assertEqual(s.call("POST", "/v1/leitura-x").status_code, 200)
        added = tape(self.home)[len(before):]
        for printed in ["100,00", "20,50", "FECHAMENTO DO TURNO", "Conceição", "LEITURA X"]:
            self.assertIn(printed, added)

    def test_each_bad_request_is_refused_with_its_field(self):
        s = self.service
        json_type = {"Content-Type": "application/json"}
        cases = [
            ("/v1/suprimento", "{\"valor\": ", 400, "requisicao_invalida", None),
            ("/v1/suprimento", "[]", 400, "requisicao_invalida", None),
            ("/v1/suprimento", "{}", 400, "campo_obrigatorio", "valor"),
            ("/v1/suprimento", '{"valor": "12.345"}', 400, "valor_nao_cabe", "valor"),
            ("/v1/suprimento", '{"valor": 2.675}', 400, "valor_nao_cabe", "valor"),
            ("/v1/suprimento", '{"valor": "1000000000000"}', 400, "valor_nao_cabe", "valor"),
            ("/v1/suprimento", '{"valor": "12,34"}', 400, "campo_invalido", "valor"),
            ("/v1/suprimento", '{"valor": -1}', 400, "campo_invalido", "valor"),
            ("/v1/suprimento", '{"valor": 1, "valr": 2}', 400, "campo_desconhecido", "valr"),
            ("/v1/visor", '{"linha1": "ok \u2713"}', 400, "texto_fora_da_pagina_de_codigo", "linha1"),
            ("/v1/visor", '{"linha1": "123456789012345678901"}', 400, "valor_nao_cabe", "linha1"),
            ("/v1/relatorio-gerencial", '{"linhas": ["a", 2]}', 400, "campo_invalido", "linhas/1"),
            ("/v1/relatorio-gerencial", '{"linhas": ["\\u001b|05|"]}', 400, "campo_invalido", "linhas/0"),
            ("/v1/comprovante-nao-fiscal", '{"totalizador": "SU", "valor": 1}', 400, "campo_invalido", "totalizador"),
            ("/v1/cracha/digito", '{"matricula": "12a"}', 400, "campo_invalido", "matricula"),
        ]
        tape_before = tape(self.home)
        for path, body, status, codigo, campo in cases:
            with self.subTest(path=path, body=body):
                self.problem(s.call("POST", path, data=body.encode(), headers=json_type), status, codigo, campo)
        self.assertEqual(tape(self.home), tape_before, "a refused request printed")
        self.problem(s.call("POST", "/v1/suprimento", data="valor=1",
                            headers={"Content-Type": "application/x-www-form-urlencoded"}), 415, "tipo_de_conteudo")
        self.problem(s.call("POST", "/v1/suprimento?espera=muito", json={"valor": 1}), 400, "campo_invalido", "espera")
        self.problem(s.call("POST", "/v1/suprimento?espera=999999", json={"valor": 1}), 400, "campo_invalido", "espera")
        self.problem(s.call("POST", "/v1/suprimento", data=b"{" + b" " * 70000 + b"}", headers=json_type),
                     413, "corpo_grande")
        many = {"X-Campo-%d" % i: "x" for i in range(80)}
        self.problem(s.call("GET", "/v1/estado", headers=many), 431, "cabecalhos_grandes")

    def test_what_the_printer_does_not_do_is_refused_before_it_is_sent(self):
        self.problem(self.service.call("POST", "/v1/gaveta/abrir"), 422, "operacao_nao_suportada")

    def test_the_badge_gets_its_check_digit_and_the_display_its_lines(self):
        s = self.service
        badge = s.call("POST", "/v1/cracha/digito", json={"matricula": "12345"}).json()
        self.assertEqual(badge["matricula"], "12345")
        self.assertTrue(badge["matriculaComDigito"].startswith("12345"))
        self.assertEqual(len(badge["matriculaComDigito"]), 6)
        shown = s.call("POST", "/v1/visor", json={"linha1": "Pão de queijo", "linha2": "TOTAL 12,34"}).json()
        # The display folds the accents.
        self.assertEqual(shown["texto"], ["Pao de queijo       ", "TOTAL 12,34         "])

    def test_the_raw_command_route_is_absent_by_default(self):
        self.problem(self.service.call("POST", "/v1/comando", json={"comando": "19"}, check=False), 404,
                     "nao_encontrado")

    def test_a_call_that_outlives_its_wait_answers_202_and_its_task_the_same_reply(self):
        s = self.service
        stop = threading.Event()
        found = []
        listener = threading.Thread(target=events_listener, args=(s, "tarefa", found, stop))
        listener.start()
        try:
            accepted = None
            for _ in range(5):
                response = s.call("POST", "/v1/leitura-x?espera=0")
                if response.status_code == 202:
                    accepted = response
                    break
            self.assertIsNotNone(accepted, "no call outlived a wait of 0 ms")
            task = accepted.json()
            self.assertEqual(accepted.headers["Location"], "/v1/tarefas/" + task["id"])
            self.assertIn(task["estado"], ("na_fila", "em_andamento"))
            end = time.monotonic() + CALL_BOUND
            while time.monotonic() < end:
                task = s.call("GET", accepted.headers["Location"]).json()
                if task["estado"] == "concluida":
                    break
                time.sleep(0.05)
            self.assertEqual(task["estado"], "concluida")
            self.assertEqual((task["status"], task["resposta"]), (200, {"operacao": "leitura_x", "avisos": []}))
            listener.join(CALL_BOUND)
            events = [e for e in found if e[0] == "event" and e[1] == "tarefa"]
            self.assertEqual(events[0][2], {"id": task["id"], "operacao": "leitura_x", "status": 200})
        finally:
            stop.set()
            listener.join(CALL_BOUND)

    def test_the_readers_readings_arrive_as_events(self):
        s = self.service
        stop = threading.Event()
        found = []
        listener = threading.Thread(target=events_listener, args=(s, "leitura", found, stop))
        listener.start()
        try:
            time.sleep(0.5)  # the stream is open
            os.write(self.master, b"7891000100103\r")
            listener.join(CALL_BOUND)
            self.assertEqual(found[0], ("status", 200, "text/event-stream"))
            readings = [e for e in found if e[0] == "event" and e[1] == "leitura"]
            self.assertEqual(readings[0][2], {"leitor": "codigo_barras", "valor": "7891000100103"})
            # Coming back after the last event seen gives what followed it.
            last = int(readings[0][3])
            again = []
            os.write(self.master, b"7894900011517\r")
            time.sleep(1.5)
            events_listener(s, "leitura", again, threading.Event(), last_id=str(last))
            readings = [e for e in again if e[0] == "event" and e[1] == "leitura"]
            self.assertEqual(readings[0][2]["valor"], "7894900011517")
        finally:
            stop.set()
            listener.join(CALL_BOUND)

    def test_browsers_are_refused_unless_their_origin_is_listed(self):
        s = self.service
        listed = {"Origin": "http://localhost:5173"}
        preflight = s.call("OPTIONS", "/v1/estado", token=False, check=False,
                           headers=dict(listed, **{"Access-Control-Request-Method": "GET"}))
        self.assertEqual(preflight.status_code, 204)
        self.assertEqual(preflight.headers["Access-Control-Allow-Origin"], "http://localhost:5173")
        self.assertIn("Authorization", preflight.headers["Access-Control-Allow-Headers"])
        allowed = s.call("GET", "/v1/estado", headers=listed)
        self.assertEqual(allowed.headers["Access-Control-Allow-Origin"], "http://localhost:5173")
        other = s.call("GET", "/v1/estado", headers={"Origin": "http://evil.example"})
        self.problem(other, 403, "origem_recusada")
        self.assertNotIn("Access-Control-Allow-Origin", other.headers)
        self.problem(s.call("GET", "/v1/saude", token=False, headers={"Host": "evil.example:%d" % s.port}),
                     403, "host_recusado")

    def test_curl_is_a_client_like_any_other(self):
        s = self.service
        out = subprocess.run(["curl", "-sS", "--max-time", str(CALL_BOUND), "-o", "-", "-w", "\n%{http_code} %{content_type}",
                              "-H", "Authorization: Bearer " + s.token, "-H", "Content-Type: application/json",
                              "-d", '{"valor": "0.5"}', s.url + "/v1/suprimento"],
                             check=True, capture_output=True, text=True).stdout
        body, _, tail = out.rpartition("\n")
        self.assertEqual(tail, "200 application/json")
        self.assertEqual(json.loads(body), {"operacao": "suprimento", "valor": "0.50", "avisos": []})
        out = subprocess.run(["curl", "-sS", "--max-time", str(CALL_BOUND), "-w", "\n%{http_code}", s.url + "/v1/estado"],
                             check=True, capture_output=True, text=True).stdout
        body, _, code = out.rpartition("\n")
        self.assertEqual((code, json.loads(body)["codigo"]), ("401", "nao_autorizado"))

    def test_clients_at_once_all_get_their_answer(self):
        s = self.service
        answers = []

        def client():
            with requests.Session() as session:
                session.headers["Authorization"] = "Bearer " + s.token
                for _ in range(4):
                    r = session.get(s.url + "/v1/estado", timeout=CALL_BOUND)
                    OPENAPI.check("GET", "/v1/estado", r)
                    answers.append(r.status_code)

        clients = [threading.Thread(target=client) for _ in range(6)]
        for c in clients:
            c.start()
        for c in clients:
            c.join(CALL_BOUND * 2)
        self.assertEqual(answers, [200] * 24)


class OwnServices(HomeTest):
    """What needs a service (or two) of its own."""

    def test_one_service_per_home_and_sigterm_leaves_nothing_running(self):
        first = Service(self.home)
        self.assertEqual(len(managers_serving(self.home)), 1)
        second = subprocess.run([SERVICE, "--dir", self.home], capture_output=True, text=True, timeout=START_BOUND)
        self.assertEqual(second.returncode, 1)
        self.assertIn("Outro caixa já está em execução nesta pasta", second.stderr)
        self.assertEqual(second.stdout, "")
        self.assertEqual(first.stop(), 0)
        self.assertEqual(managers_serving(self.home), [])
        self.assertIn("encerrado", first.errors())
        # The home is free again: a new service takes it, and the same token.
        token = first.token
        again = Service(self.home, "--sem-cartao", "--porta", str(first.port))
        try:
            self.assertEqual(again.token, token)
            self.assertEqual(again.port, first.port)
            self.assertEqual(managers_serving(self.home), [])
            self.assertEqual(again.call("GET", "/v1/estado").json()["tef"], {"configurado": False, "ativo": None})
        finally:
            self.assertEqual(again.stop(), 0)

    def test_a_stop_right_after_the_start_ends_the_service(self):
        # The address is printed only once the service listens, so a stop at
        # once finds it serving (the HTTP library ignores a stop before).
        for _ in range(3):
            s = Service(self.home, "--sem-cartao", "--sem-digito", "--visor", "nenhum")
            self.assertEqual(s.stop(), 0)

    def test_the_token_command_shows_the_homes_token_kept_for_its_owner(self):
        shown = subprocess.run([SERVICE, "token", "--dir", self.home], capture_output=True, text=True,
                               timeout=START_BOUND, check=True).stdout.strip()
        self.assertRegex(shown, r"^[0-9a-f]{64}$")
        path = os.path.join(self.home, "qdm_service.token")
        self.assertEqual(stat.S_IMODE(os.stat(path).st_mode), 0o600)
        again = subprocess.run([SERVICE, "token", "--dir", self.home], capture_output=True, text=True,
                               timeout=START_BOUND, check=True).stdout.strip()
        self.assertEqual(again, shown)
        os.chmod(path, 0o644)
        refused = subprocess.run([SERVICE, "token", "--dir", self.home], capture_output=True, text=True,
                                 timeout=START_BOUND)
        self.assertEqual(refused.returncode, 1)
        self.assertIn("outros usuários", refused.stderr)

    def test_the_z_reduction_closes_the_day_and_its_figures_export(self):
        s = Service(self.home, "--sem-cartao")
        try:
            self.assertEqual(s.call("POST", "/v1/suprimento", json={"valor": "10"}).status_code, 200)
            day = s.call("GET", "/v1/estado").json()["impressora"]["diaFiscal"]
            self.assertEqual((day["estado"], day["reducaoZPendente"]), ("aberto", False))
            self.assertEqual(s.call("POST", "/v1/reducao-z").json(), {"operacao": "reducao_z", "avisos": []})
            # The day closed is told from an open one: the printer holds no day.
            closed = s.call("GET", "/v1/estado").json()["impressora"]["diaFiscal"]
            self.assertEqual(closed, {"estado": "fechado", "data": day["data"], "reducaoZPendente": False})
            exported = s.call("GET", "/v1/reducao-z/exportacao").json()
            self.assertEqual(len(exported["cdsReducaoZ"]), 1)
            self.assertEqual(exported["cdsReducaoZ"][0]["NRREDREDZ"], "0001")
            self.assertTrue(exported["cdsFormPgtoRedZ"])
            again = s.call("POST", "/v1/reducao-z")
            self.assertEqual(again.status_code, 422, again.text)
            self.assertEqual(again.json()["codigo"], "impressora_recusou")
            self.assertIn("REDUÇÃO Z", tape(self.home))
        finally:
            self.assertEqual(s.stop(), 0)

    def test_a_past_fiscal_day_holds_the_printer_until_its_z_reduction(self):
        first = Service(self.home, "--sem-cartao")
        self.assertEqual(first.stop(), 0)
        # The register's clock two days on: the printer's fiscal day is past.
        with open(os.path.join(self.home, "relogio.txt"), "w") as f:
            f.write("172800\n")
        s = Service(self.home, "--sem-cartao")
        try:
            printer = s.call("GET", "/v1/estado").json()["impressora"]
            self.assertFalse(printer["pronta"])
            self.assertTrue(printer["diaFiscal"]["reducaoZPendente"])
            self.assertEqual(printer["diaFiscal"]["estado"], "reducao_z_pendente")
            self.assertIn("Redução Z", printer["motivo"])
            refused = s.call("POST", "/v1/suprimento", json={"valor": 1})
            self.assertEqual((refused.status_code, refused.json()["codigo"]), (409, "reducao_z_pendente"))
            found, stop = [], threading.Event()
            listener = threading.Thread(target=events_listener, args=(s, "impressora", found, stop),
                                        kwargs={"wanted": lambda data: data["pronta"]})
            listener.start()
            time.sleep(0.5)  # the stream is open
            self.assertEqual(s.call("POST", "/v1/reducao-z", json={}).status_code, 200)
            listener.join(CALL_BOUND)
            stop.set()
            # The change of the printer's state reached the listeners.
            ready = [e[2] for e in found if e[0] == "event" and e[1] == "impressora" and e[2]["pronta"]]
            self.assertTrue(ready, found)
            self.assertNotIn("motivo", ready[0])
            self.assertTrue(s.call("GET", "/v1/estado").json()["impressora"]["pronta"])
            self.assertEqual(s.call("POST", "/v1/suprimento", json={"valor": 1}).status_code, 200)
        finally:
            self.assertEqual(s.stop(), 0)

    def test_the_other_makers_printers_serve_the_same_routes(self):
        for tipo, maker in [(3, "Sweda"), (7, "Daruma")]:
            with self.subTest(tipo=tipo):
                home = os.path.join(self.home, str(tipo))
                s = Service(home, "--sem-cartao", "--tipo", str(tipo))
                try:
                    printer = s.call("GET", "/v1/estado").json()["impressora"]
                    self.assertEqual((printer["tipo"], printer["fabricante"], printer["pronta"], printer["cupomAberto"]),
                                     (tipo, maker, True, False))
                    self.assertEqual(s.call("POST", "/v1/suprimento", json={"valor": "3.00"}).status_code, 200)
                    report = s.call("POST", "/v1/relatorio-gerencial", json={"linhas": ["LINHA DO RELATORIO"]})
                    self.assertEqual(report.status_code, 200, report.text)
                    self.assertIn("LINHA DO RELATORIO", tape(home))
                    self.assertEqual(s.call("POST", "/v1/sangria", json={"valor": 1}).json()["codigo"],
                                     "operacao_nao_suportada")
                    # The Sweda printer flags its day open or closed; the
                    # FS345 answers a date either way, so its state is unknown.
                    day = {3: ("aberto", "fechado"), 7: (None, None)}[tipo]
                    self.assertEqual(s.call("GET", "/v1/estado").json()["impressora"]["diaFiscal"]["estado"], day[0])
                    self.assertEqual(s.call("POST", "/v1/reducao-z").status_code, 200)
                    self.assertEqual(s.call("GET", "/v1/estado").json()["impressora"]["diaFiscal"]["estado"], day[1])
                finally:
                    self.assertEqual(s.stop(), 0)

    def test_the_raw_command_route_exists_only_when_asked_for(self):
        s = Service(self.home, "--sem-cartao", "--comando-livre", "--visor", "nenhum")
        try:
            answer = s.call("POST", "/v1/comando", json={"comando": "30"}).json()
            self.assertEqual(answer["comando"], "30")
            self.assertTrue(answer["retorno"])
            self.assertEqual(s.call("POST", "/v1/visor", json={"linha1": "x"}).json()["codigo"], "dispositivo_ausente")
        finally:
            self.assertEqual(s.stop(), 0)


def sale(key, price="4.50", quantity="1.000", payments=None, description="Caf\u00e9 com leite", **extra):
    body = {"idVenda": key,
            "itens": [{"codigo": "7891000100103", "descricao": description, "quantidade": quantity,
                       "precoUnitario": price, "tributacao": {"tipo": "T", "percentual": "18.00"}}],
            "pagamentos": payments or [{"tipo": "001", "valor": "10.00"}]}
    body.update(extra)
    return body


def card(amount):
    return [{"tipo": "002", "valor": amount, "cartao": True}]


def tef_control(home, text):
    """Sets the emulated TEF manager's fault keys (read on every request)."""
    path = os.path.join(home, "drive_c", "tef_dial", "manager.ctl")
    if text:
        with open(path, "w") as f:
            f.write(text)
    elif os.path.exists(path):
        os.remove(path)


class Sales(unittest.TestCase):
    """Sales in one call on one service: each test sells under keys of its own."""

    @classmethod
    def setUpClass(cls):
        cls.home = tempfile.mkdtemp(prefix="qdm-service-")
        cls.service = Service(cls.home)

    @classmethod
    def tearDownClass(cls):
        status = cls.service.stop()
        shutil.rmtree(cls.home, ignore_errors=True)
        assert status == 0, status

    problem = SharedService.problem

    def sell(self, body, status=200):
        r = self.service.call("POST", "/v1/vendas", json=body)
        self.assertEqual(r.status_code, status, r.text)
        return r.json() if status == 200 else r.json()["venda"]

    def test_a_cash_sale_closes_its_coupon_and_gives_the_change(self):
        before = tape(self.home)
        venda = self.sell(sale("dinheiro-1", price=4.5, quantity="2", description="P\u00e3o franc\u00eas",
                               comprador={"documento": "123.456.789-09", "nome": "Jos\u00e9"}))
        self.assertTrue(venda["concluida"])
        self.assertEqual(venda["cupom"]["estado"], "fechado")
        self.assertEqual((venda["subtotal"], venda["total"], venda["pago"], venda["troco"]),
                         ("9.00", "9.00", "10.00", "1.00"))
        self.assertEqual(venda["cartoes"], [])
        printed = tape(self.home)[len(before):]
        self.assertIn("P\u00e3o franc\u00eas", printed)
        self.assertIn("123.456.789-09", printed)
        known = self.service.call("GET", "/v1/vendas/dinheiro-1").json()
        self.assertEqual((known["estado"], known["venda"]), ("concluida", venda))
        listed = self.service.call("GET", "/v1/vendas").json()["vendas"]
        self.assertIn("dinheiro-1", [v["idVenda"] for v in listed])

    def test_a_card_sale_prints_its_voucher_and_confirms_the_card(self):
        before = tape(self.home)
        venda = self.sell(sale("cartao-1", payments=card("4.00"), desconto="0.50"))
        self.assertTrue(venda["concluida"])
        self.assertEqual((venda["total"], venda["troco"]), ("4.00", "0.00"))
        (c,) = venda["cartoes"]
        self.assertEqual((c["estado"], c["aprovado"], c["valor"]), ("confirmada", True, "4.00"))
        self.assertIn(c["documento"], tape(self.home)[len(before):])
        self.assertTrue(c["autorizacao"] and c["documento"] and c["rede"])

    def test_a_declined_card_abandons_the_sale_and_cancels_its_coupon(self):
        tef_control(self.home, "decline=1\n")
        try:
            venda = self.sell(sale("recusado-1", payments=card("4.50")), 422)
        finally:
            tef_control(self.home, "")
        self.assertFalse(venda["concluida"])
        self.assertEqual(venda["cupom"]["estado"], "cancelado")
        self.assertEqual([c["estado"] for c in venda["cartoes"]], ["nao_aprovada"])
        self.assertTrue(venda["falha"])
        self.assertEqual(self.service.call("GET", "/v1/vendas/recusado-1").json()["estado"], "abandonada")

    def test_the_same_key_answers_what_is_stored_and_prints_nothing(self):
        first = self.sell(sale("repetida-1"))
        before = tape(self.home)
        self.assertEqual(self.sell(sale("repetida-1")), first)
        self.assertEqual(tape(self.home), before)
        # Money as a number is the same sale only when written the same way.
        other = self.service.call("POST", "/v1/vendas", json=sale("repetida-1", price="4.60"))
        self.problem(other, 409, "chave_reutilizada", "idVenda")
        self.assertEqual(tape(self.home), before)

    def test_the_same_key_from_two_clients_at_once_prints_one_coupon(self):
        answers = []
        body = sale("simultanea-1", description="Doce de leite duplo")

        def client():
            with requests.Session() as session:
                session.headers["Authorization"] = "Bearer " + self.service.token
                r = session.post(self.service.url + "/v1/vendas", json=body, timeout=CALL_BOUND)
                OPENAPI.check("POST", "/v1/vendas", r)
                answers.append(r.json())

        clients = [threading.Thread(target=client) for _ in range(2)]
        for c in clients:
            c.start()
        for c in clients:
            c.join()
        self.assertEqual(len(answers), 2)
        self.assertEqual(answers[0], answers[1])
        self.assertEqual(tape(self.home).count("Doce de leite duplo"), 1)

    def test_each_bad_sale_is_refused_with_its_field_and_nothing_printed(self):
        before = tape(self.home)
        item = sale("x")["itens"][0]
        cases = [
            ({"itens": [item], "pagamentos": card("1")}, 400, "campo_obrigatorio", "idVenda"),
            (sale("chave com espa\u00e7o"), 400, "campo_invalido", "idVenda"),
            (sale("k" * 65), 400, "valor_nao_cabe", "idVenda"),
            (sale("b1", price="4.505"), 400, "valor_nao_cabe", "itens/0/precoUnitario"),
            (sale("b2", quantity="1.0001"), 400, "valor_nao_cabe", "itens/0/quantidade"),
            (sale("b3", price="1234567.00"), 400, "valor_nao_cabe", "itens/0/precoUnitario"),
            (sale("b4", description="caf\u00e9 \u2615"), 400, "texto_fora_da_pagina_de_codigo", "itens/0/descricao"),
            (sale("b5", itens=[]), 400, "campo_invalido", "itens"),
            (sale("b6", itens=[{**item, "aliquota": "01"}]), 400, "campo_invalido", "itens/0/tributacao"),
            (sale("b7", itens=[{**item, "cor": "azul"}]), 400, "campo_desconhecido", "itens/0/cor"),
            (sale("b8", payments=[{"tipo": "001", "valor": "10.00", "cartao": "sim"}]), 400, "campo_invalido",
             "pagamentos/0/cartao"),
            (sale("b9", comprador={"documento": "abc"}), 400, "campo_invalido", "comprador/documento"),
            (sale("b10", desconto=-1), 400, "campo_invalido", "desconto"),
        ]
        for body, status, codigo, campo in cases:
            with self.subTest(campo=campo, codigo=codigo):
                self.problem(self.service.call("POST", "/v1/vendas", json=body), status, codigo, campo)
        for raw in [b"{", b"[]", b'{"idVenda":"a","idVenda":"b"}', b"\xff"]:
            r = self.service.call("POST", "/v1/vendas", data=raw, headers={"Content-Type": "application/json"})
            self.problem(r, 400, "requisicao_invalida")
        # Refused by the sale module before the printer: answered as an
        # abandoned sale that opened no coupon.
        short = self.sell(sale("curto-1", payments=[{"tipo": "001", "valor": "1.00"}]), 422)
        self.assertEqual(short["cupom"]["estado"], "nao_aberto")
        self.problem(self.service.call("GET", "/v1/vendas/nunca-vista"), 404, "venda_desconhecida", "idVenda")
        self.assertEqual(tape(self.home), before)

    def test_status_answers_while_sales_run_and_nothing_is_lost(self):
        answers, sales = [], []
        stop = threading.Event()

        def status_client():
            with requests.Session() as session:
                session.headers["Authorization"] = "Bearer " + self.service.token
                for _ in range(40):
                    if stop.is_set():
                        break
                    r = session.get(self.service.url + "/v1/estado", timeout=CALL_BOUND)
                    OPENAPI.check("GET", "/v1/estado", r)
                    answers.append(r.status_code)

        def sale_client(n):
            with requests.Session() as session:
                session.headers["Authorization"] = "Bearer " + self.service.token
                for i in range(3):
                    r = session.post(self.service.url + "/v1/vendas", json=sale("carga-%d-%d" % (n, i)),
                                     timeout=CALL_BOUND)
                    OPENAPI.check("POST", "/v1/vendas", r)
                    sales.append(r.json()["cupom"]["numero"])

        workers = [threading.Thread(target=status_client) for _ in range(4)]
        workers += [threading.Thread(target=sale_client, args=(n,)) for n in range(2)]
        for w in workers:
            w.start()
        for w in workers[4:]:
            w.join()
        stop.set()
        for w in workers[:4]:
            w.join()
        self.assertEqual(len(sales), 6)
        self.assertEqual(len(set(sales)), 6)  # six coupons, each its own number
        self.assertTrue(answers)
        self.assertEqual(set(answers), {200})


class SalesOnTheirOwnService(HomeTest):
    def test_a_refused_closing_cancels_the_coupon_and_undoes_the_card(self):
        s = Service(self.home, env={"MP20FI_FAULT": "34:0,1"})
        try:
            r = s.call("POST", "/v1/vendas", json=sale("fechamento-1", payments=card("4.50")))
            self.assertEqual(r.status_code, 422, r.text)
            venda = r.json()["venda"]
            self.assertEqual(venda["cupom"]["estado"], "cancelado")
            self.assertEqual([c["estado"] for c in venda["cartoes"]], ["desfeita"])
        finally:
            self.assertEqual(s.stop(), 0)

    def test_a_power_cut_mid_sale_is_reconciled_and_the_retry_learns_the_truth(self):
        s = Service(self.home)
        body = sale("queda-1", payments=card("4.50"))
        try:
            # The card's answer is slow: the cut comes with the coupon open.
            tef_control(self.home, "answer-delay-ms=20000\n")
            r = s.call("POST", "/v1/vendas?espera=0", json=body)
            self.assertEqual(r.status_code, 202, r.text)
            journal = os.path.join(self.home, "qdm_service_vendas.jrn")
            end = time.monotonic() + CALL_BOUND
            while time.monotonic() < end:
                with open(journal) as f:
                    if '"numero\\":\\"' in f.read():
                        break
                time.sleep(0.05)
            else:
                self.fail("the coupon never opened")
        finally:
            power_cut(s, self.home)
            tef_control(self.home, "")
        s = Service(self.home)
        try:
            known = s.call("GET", "/v1/vendas/queda-1").json()
            self.assertEqual(known["estado"], "reconciliada")
            self.assertFalse(known["venda"]["concluida"])
            self.assertEqual(known["venda"]["cupom"]["estado"], "cancelado")
            before = tape(self.home)
            retry = s.call("POST", "/v1/vendas", json=body)
            self.assertEqual(retry.status_code, 422)
            self.assertEqual(retry.json()["venda"], known["venda"])
            self.assertEqual(tape(self.home), before)
            status = s.call("GET", "/v1/estado").json()
            self.assertFalse(status["impressora"]["cupomAberto"])
            reset = s.call("POST", "/v1/recuperacao", json={}).json()
            self.assertEqual(reset["vendasReconciliadas"], [])
            self.assertTrue(reset["cartoes"]["resolvidos"])
        finally:
            self.assertEqual(s.stop(), 0)


def cut_after_opening(home, key):
    """Cuts the journal back to what a power failure right after the printer
    opened the key's coupon leaves: the key's lines up to the one that
    journaled its coupon's number, none after it."""
    path = os.path.join(home, "qdm_service_vendas.jrn")
    with open(path, encoding="cp1252") as f:
        lines = f.readlines()
    kept, opened = [], False
    for line in lines:
        record = json.loads(line)
        if record["k"] == key:
            if opened:
                continue
            opened = "p" in record and json.loads(record["p"])["cupom"]["numero"] is not None
        kept.append(line)
    if not opened:
        raise AssertionError("the journal never saw the coupon of %s opened" % key)
    with open(path, "w", encoding="cp1252") as f:
        f.writelines(kept)


class PowerCutOnEveryMaker(HomeTest):
    """A sale cut between the printer's closing of its coupon and the
    journal's line for it is done: the printer's day figure moved. One cut
    with its coupon opened and not closed is cancelled: the figure did not."""

    # Each maker's printer and how its coupon is left not closed: the Sweda
    # printer answers the closing busy, and the power fails while the
    # driver asks again (the start cancels the coupon left open); the
    # Daruma printer refuses the closing, and the sale cancels its coupon.
    MAKERS = [(3, {"SERSWEDA_FAULT": "12SN:P006:-1"}, b"\x1b.12SN"), (7, {"FS345_FAULT": "F3:31:1"}, None)]

    def test_a_coupon_closed_before_the_cut_stands_and_one_left_open_does_not(self):
        for tipo, fault, cut_at in self.MAKERS:
            with self.subTest(tipo=tipo):
                home = os.path.join(self.home, str(tipo))
                s = Service(home, "--sem-cartao", "--tipo", str(tipo))
                try:
                    self.assertEqual(s.call("POST", "/v1/vendas", json=sale("antes-%d" % tipo)).status_code, 200)
                    closed = s.call("POST", "/v1/vendas", json=sale("fechada-%d" % tipo)).json()
                    self.assertEqual(closed["cupom"]["estado"], "fechado")
                finally:
                    self.assertEqual(s.stop(), 0)
                s = Service(home, "--sem-cartao", "--tipo", str(tipo), env=fault)
                before = tape(home)
                log = os.path.join(home, "impdebug.txt")
                logged = os.path.getsize(log) if os.path.exists(log) else 0
                try:
                    r = s.call("POST", "/v1/vendas?espera=0" if cut_at else "/v1/vendas", json=sale("aberta-%d" % tipo))
                    self.assertEqual(r.status_code, 202 if cut_at else 422, r.text)
                    if cut_at:
                        wait_for(self, log, logged, cut_at)
                finally:
                    if cut_at:
                        os.killpg(s.proc.pid, signal.SIGKILL)
                        s.proc.wait()
                        s.proc.stdout.close()
                        s.log.close()
                    else:
                        self.assertEqual(s.stop(), 0)
                cut_after_opening(home, "fechada-%d" % tipo)
                cut_after_opening(home, "aberta-%d" % tipo)
                s = Service(home, "--sem-cartao", "--tipo", str(tipo))
                try:
                    known = s.call("GET", "/v1/vendas/fechada-%d" % tipo).json()
                    self.assertEqual(known["estado"], "reconciliada")
                    self.assertTrue(known["venda"]["concluida"])
                    self.assertEqual(known["venda"]["cupom"], closed["cupom"])
                    self.assertIn(closed["cupom"]["numero"], before)
                    left = s.call("GET", "/v1/vendas/aberta-%d" % tipo).json()["venda"]
                    self.assertFalse(left["concluida"])
                    self.assertEqual(left["cupom"]["estado"], "cancelado")
                    self.assertIn("CANCELADO", tape(home)[len(before):])
                    printed = tape(home)
                    retry = s.call("POST", "/v1/vendas", json=sale("fechada-%d" % tipo))
                    self.assertEqual(retry.status_code, 200, retry.text)
                    self.assertEqual(retry.json(), known["venda"])
                    self.assertEqual(tape(home), printed)
                finally:
                    self.assertEqual(s.stop(), 0)


class ACouponTheStartCannotCancel(HomeTest):
    """On a Sweda printer the items of an open coupon already count in the
    day's gross, so a coupon the start could not cancel reads as closed by
    the day figure: its key waits, decided by nothing and printing nothing,
    until a start cancels the coupon."""

    REFUSE_CANCEL = {"SERSWEDA_FAULT": "05:P013,ERRO-CANCELAMENTO NAO PERMITIDO:-1"}
    # How the cut leaves the coupon open: its item sold and nothing paid
    # (the card's answer is slow; the item's discount frame follows it), or
    # paid and its closing answered busy (the start's "12" that ends a
    # report would close it).
    CUTS = [("cartao", card("4.50"), "answer-delay-ms=20000\n", {}, b"\x1b.02"),
            ("fechamento", None, "", {"SERSWEDA_FAULT": "12SN:P006:-1"}, b"\x1b.12SN")]

    def test_the_key_waits_while_the_coupon_is_open_and_is_cancelled_after(self):
        for name, payments, slow_card, fault, cut_at in self.CUTS:
            with self.subTest(cut=name):
                home = os.path.join(self.home, name)
                body = sale("presa-" + name, payments=payments)
                journal = os.path.join(home, "qdm_service_vendas.jrn")
                log = os.path.join(home, "impdebug.txt")
                s = Service(home, "--tipo", "3", env=fault)
                try:
                    tef_control(home, slow_card)
                    logged = os.path.getsize(log)
                    r = s.call("POST", "/v1/vendas?espera=0", json=body)
                    self.assertEqual(r.status_code, 202, r.text)
                    wait_for(self, log, logged, cut_at)
                finally:
                    power_cut(s, home)
                    tef_control(home, "")
                cut_after_opening(home, body["idVenda"])
                with open(journal, "rb") as f:
                    journaled = f.read()
                printed = tape(home)
                # The start's cancellation is refused, and so is the recovery's.
                s = Service(home, "--tipo", "3", env=self.REFUSE_CANCEL)
                try:
                    recovery = s.call("POST", "/v1/recuperacao", json={}).json()
                    self.assertEqual((recovery["vendasReconciliadas"], recovery["cupomAbertoCancelado"]), ([], False))
                    self.assertTrue(s.call("GET", "/v1/estado").json()["impressora"]["cupomAberto"])
                    waiting = s.call("GET", "/v1/vendas/" + body["idVenda"]).json()
                    self.assertEqual(waiting["estado"], "em_andamento")
                    self.assertIsNotNone(waiting["venda"]["cupom"]["numero"])
                    SharedService.problem(self, s.call("POST", "/v1/vendas", json=body), 409, "venda_em_andamento",
                                          "idVenda")
                finally:
                    self.assertEqual(s.stop(), 0)
                with open(journal, "rb") as f:
                    self.assertEqual(f.read(), journaled)
                self.assertEqual(tape(home), printed)
                # The printer takes the cancellation: the key is settled as cancelled.
                s = Service(home, "--tipo", "3")
                try:
                    known = s.call("GET", "/v1/vendas/" + body["idVenda"]).json()
                    self.assertEqual(known["estado"], "reconciliada")
                    self.assertFalse(known["venda"]["concluida"])
                    self.assertEqual(known["venda"]["cupom"], {"estado": "cancelado",
                                                               "numero": waiting["venda"]["cupom"]["numero"]})
                    self.assertIn("CUPOM CANCELADO", tape(home)[len(printed):])
                    printed = tape(home)
                    retry = s.call("POST", "/v1/vendas", json=body)
                    self.assertEqual(retry.status_code, 422, retry.text)
                    self.assertEqual(retry.json()["venda"], known["venda"])
                    self.assertEqual(tape(home), printed)
                finally:
                    self.assertEqual(s.stop(), 0)


def power_cut(service, home):
    """Ends the service as a power failure would, the TEF manager with it:
    nothing more is journaled, printed or answered."""
    os.killpg(service.proc.pid, signal.SIGKILL)
    for pid in managers_serving(home):
        os.kill(pid, signal.SIGKILL)
    service.proc.wait()
    service.proc.stdout.close()
    service.log.close()


def wait_for(test, path, offset, text):
    """Waits until `text` is written to `path` past `offset`."""
    end = time.monotonic() + CALL_BOUND
    while time.monotonic() < end:
        if os.path.exists(path):
            with open(path, "rb") as f:
                f.seek(offset)
                if text in f.read():
                    return
        time.sleep(0.05)
    test.fail("%r never reached %s" % (text, path))


def main():
    global SERVICE, OPENAPI
    parser = argparse.ArgumentParser()
    parser.add_argument("--service", required=True)
    parser.add_argument("--openapi", required=True)
    args, rest = parser.parse_known_args()
    SERVICE = os.path.abspath(args.service)
    OPENAPI = OpenApi(args.openapi)
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
