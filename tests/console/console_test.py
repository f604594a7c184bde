#!/usr/bin/env python3
"""The technician's console in a real browser: Debian's Chromium, headless,
on the page the real qdm_service serves at "/", over the emulated devices
in a home of its own, driven with the keyboard as a technician at a till
would. Each test keeps a screenshot.

    console_test.py --service build-test/bin/qdm_service --openapi tools/qdm_service/openapi.json \
                    --screenshots build-test/console-screenshots
"""
import argparse
import json
import os
import shutil
import signal
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "service"))

import cdp  # noqa: E402
import service_test  # noqa: E402
from service_test import Service, tape  # noqa: E402

SCREENSHOTS = None
CHROMIUM = None
BROWSER = None


def setUpModule():
    global BROWSER
    BROWSER = cdp.Browser(CHROMIUM)


def tearDownModule():
    if BROWSER:
        BROWSER.close()


class ConsoleTest(unittest.TestCase):
    options = ()

    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="qdm-console-")
        self.service = Service(self.home, *self.options)
        self.b = BROWSER
        self.b.viewport(1024, 768)

    def tearDown(self):
        self.shot(self._testMethodName)
        self.service.stop()
        shutil.rmtree(self.home, ignore_errors=True)

    def shot(self, name, full=True):
        self.b.screenshot(os.path.join(SCREENSHOTS, name + ".png"), full=full)

    def open_page(self):
        self.b.go(self.service.url + "/")
        self.b.wait("document.getElementById('token') === document.activeElement", what="the token's field focused")

    def sign_in(self, token=None):
        """Signs in with the keyboard: the token typed, Enter."""
        self.open_page()
        self.b.type(token or self.service.token)
        self.b.press("Enter")
        if token is None:
            self.b.wait("document.body.dataset.pronto === 'sim'", what="the console shown")

    def act(self, action):
        """Opens an action's confirmation from its button, with the keyboard."""
        self.b.focus("[data-acao=%s]" % action)
        self.b.press("Enter")
        self.b.wait("document.getElementById('confirmar').open", what="the confirmation of " + action)

    def confirm(self):
        """Tabs to the confirmation's print button and presses it."""
        for _ in range(6):
            if self.b.focused() == "confirmar-ok":
                break
            self.b.press("Tab")
        self.assertEqual(self.b.focused(), "confirmar-ok")
        self.b.press("Enter")

    def result(self, *words):
        expression = "(() => { const t = document.getElementById('resultado').innerText; return %s; })()" % (
            " && ".join("t.includes(%s)" % json.dumps(w) for w in words))
        self.b.wait(expression, what="the result saying %s (it says %r)" % (words, self.b.text("#resultado")))
        return self.b.text("#resultado")


class SignInTest(ConsoleTest):
    options = ("--comando-livre",)

    def test_signed_in_the_page_shows_the_register_at_a_glance(self):
        self.open_page()
        # Without the token only the sign-in shows, and nothing of the register.
        self.assertTrue(self.b.visible("#entrada"))
        self.assertFalse(self.b.visible("#console"))
        self.assertEqual(self.b.text("#imp-dados"), "")
        self.b.type(self.service.token)
        self.b.press("Enter")
        self.b.wait("document.body.dataset.pronto === 'sim'")
        self.assertFalse(self.b.visible("#entrada"))
        self.assertEqual(self.b.js("sessionStorage.getItem('qdm_service.token')"), self.service.token)
        self.assertEqual(self.b.js("localStorage.length"), 0)

        status = self.service.call("GET", "/v1/estado").json()["impressora"]
        printer = self.b.text("#disp-impressora")
        self.assertIn("pronta", self.b.text("#imp-selo"))
        for shown in (status["modelo"], status["numero"], status["serie"], "Cupom aberto"):
            self.assertIn(shown, printer)
        self.b.wait("document.getElementById('tef-selo').innerText === 'ativo'", what="the TEF manager active")
        self.b.wait("document.getElementById('conexao').innerText === 'Conectado'", what="the event stream")
        self.b.wait("document.getElementById('bobina-aviso') && document.getElementById('log-aviso').innerText !== ''")

        # An X reading asked by another client; the tape's refresh by keyboard.
        self.service.call("POST", "/v1/leitura-x", data="")
        self.b.focus("#atualizar-bobina")
        self.b.press("Enter")
        self.b.wait("document.getElementById('bobina-texto').innerText.includes('LEITURA X')",
                    what="the X reading on the page's tape")

        # The main screen, as docs/SERVICE.md shows it; then on a phone,
        # which scrolls down but never sideways.
        self.b.js("window.scrollTo(0, 0)")
        self.shot("console-principal", full=False)
        self.b.viewport(390, 844, mobile=True)
        self.b.wait("document.documentElement.scrollWidth <= 390", what="no sideways scroll on a phone")
        self.shot("console-celular", full=False)
        self.b.viewport(1024, 768)

        # The printer's state follows the service's events: a coupon opened
        # by another client shows without a reload.
        self.service.call("POST", "/v1/comando", json={"comando": "00"})
        self.b.wait("document.getElementById('imp-dados').innerText.match(/Cupom aberto\\s*sim/)",
                    what="the coupon open on the page without a reload")

        self.b.focus("#sair")
        self.b.press("Enter")
        self.b.wait("!document.getElementById('entrada').hidden")
        self.assertIsNone(self.b.js("sessionStorage.getItem('qdm_service.token')"))
        self.assertFalse(self.b.visible("#console"))

    def test_a_wrong_token_is_refused_and_nothing_is_shown(self):
        self.sign_in("token-errado")
        self.b.wait("document.getElementById('entrada-erro').innerText.includes('recusou')",
                    what="the refusal shown")
        self.assertFalse(self.b.visible("#console"))
        self.assertEqual(self.b.text("#imp-dados"), "")
        self.assertIsNone(self.b.js("sessionStorage.getItem('qdm_service.token')"))
        # A token the session kept that the service no longer takes: the
        # sign-in again.
        self.b.js("sessionStorage.setItem('qdm_service.token', 'outro-errado')")
        self.b.go(self.service.url + "/")
        self.b.wait("document.getElementById('entrada-erro').innerText.includes('recusou')")
        self.assertFalse(self.b.visible("#console"))

    def test_the_page_names_no_file_outside_its_own(self):
        for path in ("/index.html", "/console.js", "/console.css"):
            answer = self.service.call("GET", path, token=False, check=False)
            self.assertEqual(answer.status_code, 200, path)
            self.assertRegex(answer.headers["Content-Type"], "^text/(html|javascript|css); charset=utf-8$")
            self.assertIn("default-src 'none'", answer.headers["Content-Security-Policy"])
        for path in ("/qdm_service.token", "/impdebug.txt", "/..%2Fqdm_service.token", "/%2e%2e/qdm_service.token",
                     "/.hidden", "/console/index.html"):
            answer = self.service.call("GET", path, token=False, check=False)
            self.assertIn(answer.status_code, (401, 404), path)
            self.assertNotIn(self.service.token, answer.text, path)


class ActionsTest(ConsoleTest):
    def test_the_x_reading_asks_first_says_what_it_prints_and_prints_once(self):
        self.sign_in()
        before = len(tape(self.home))
        self.act("leitura-x")
        text = self.b.text("#confirmar-texto")
        self.assertIn("Leitura X", text)
        self.assertIn("impressa", text)
        # The safe choice has the focus; Escape leaves without printing.
        self.assertEqual(self.b.focused(), "confirmar-cancelar")
        self.shot("console-confirmacao", full=False)
        self.b.press("Escape")
        self.b.wait("!document.getElementById('confirmar').open")
        self.assertEqual(len(tape(self.home)), before)
        self.assertEqual(self.b.focused(), "Leitura X")

        self.b.press("Enter")
        self.b.wait("document.getElementById('confirmar').open")
        # A loaded till may deliver a Cancel and the reopening before the
        # dialog's close event: the reopened confirmation still prints.
        self.b.js("document.getElementById('confirmar-cancelar').click();"
                  "document.querySelector('[data-acao=leitura-x]').click()")
        self.b.wait("document.getElementById('confirmar').open")
        self.confirm()
        self.result("Leitura X impressa")
        self.assertEqual(tape(self.home).count("LEITURA X"), 1)
        self.b.wait("document.getElementById('bobina-texto').innerText.includes('LEITURA X')",
                    what="the X reading on the page's tape")

    def test_a_cash_supply_takes_its_value_and_the_log_filters_errors(self):
        self.sign_in()
        self.act("suprimento")
        self.assertEqual(self.b.focused(), "")  # the value's field, unnamed by id
        self.b.type("12,3x")
        self.confirm()
        self.b.wait("document.getElementById('confirmar').open")  # a bad value stays in the dialog
        self.b.js("document.querySelector('#confirmar-campos input').value = ''")
        self.b.focus("#confirmar-campos input")
        self.b.type("12,30")
        self.confirm()
        self.result("Suprimento", "12,30")
        self.assertIn("SUPRIMENTO", tape(self.home).upper())
        # The log, errors only: every line shown is an error line.
        self.b.wait("document.getElementById('log-aviso').innerText !== ''")
        self.b.js("document.getElementById('log-erros').click()")
        self.b.wait("document.getElementById('log-aviso').innerText.includes('com erro')")
        errors = self.b.js("[...document.querySelectorAll('#log-linhas li')].every(li => li.innerText.includes('ERRO!!!'))")
        self.assertTrue(errors)


class SaleTest(ConsoleTest):
    def sell(self, price, card=False):
        self.act("venda-teste")
        self.assertIn("cupom fiscal", self.b.text("#confirmar-texto"))
        self.b.js("document.querySelector('#confirmar-campos input').value = ''")
        self.b.type(price)
        if card:
            self.b.js("document.querySelector('#confirmar-campos select').value = 'cartao'")
        self.confirm()

    def test_a_test_sale_reaches_the_tape_and_the_days_sales(self):
        self.sign_in()
        self.sell("4,50")
        self.result("Venda conclu", "4,50")
        self.assertIn("ITEM DE TESTE", tape(self.home))
        self.b.wait("document.getElementById('bobina-texto').innerText.includes('ITEM DE TESTE')")
        self.b.wait("document.querySelectorAll('#vendas-tabela tbody tr').length === 1", what="the sale in the list")
        row = self.b.text("#vendas-tabela tbody tr")
        self.assertIn("fechado", row)
        self.assertIn("R$ 4,50", row)

    def test_a_sale_from_another_client_shows_in_the_days_sales_as_it_ends(self):
        self.sign_in()
        self.b.wait("document.getElementById('conexao').innerText === 'Conectado'", what="the event stream")
        self.b.wait("document.getElementById('vendas-aviso').innerText.includes('Nenhuma venda')",
                    what="no sale yet")
        sale = {"idVenda": "frente-1",
                "itens": [{"codigo": "7891000100103", "descricao": "Cafe", "quantidade": "1",
                           "precoUnitario": "3.20", "tributacao": {"tipo": "T", "percentual": "18"}}],
                "pagamentos": [{"tipo": "001", "valor": "5.00"}]}
        self.assertEqual(self.service.call("POST", "/v1/vendas", json=sale).status_code, 200)
        # Nothing pressed: the sale's events bring it in.
        self.b.wait("document.querySelector('#vendas-tabela tbody tr td.chave') &&"
                    " document.querySelector('#vendas-tabela tbody tr td.chave').innerText === 'frente-1'",
                    what="the other client's sale in the list")
        row = self.b.text("#vendas-tabela tbody tr")
        self.assertIn("fechado", row)
        self.assertIn("R$ 3,20", row)

    def test_a_declined_card_shows_as_declined(self):
        with open(os.path.join(self.home, "drive_c", "tef_dial", "manager.ctl"), "w") as f:
            f.write("decline=1\n")
        self.sign_in()
        self.sell("7,00", card=True)
        self.result("recusado")
        self.b.wait("!!document.querySelector('#vendas-tabela .cartao[data-estado=nao_aprovada]')",
                    what="the card declined in the day's sales")
        self.b.wait("!!document.querySelector('#tef-tabela td[data-estado=negada]')",
                    what="the transaction declined in the TEF journal")
        self.assertNotIn("CONFIRMADA", self.b.text("#tef-tabela").upper())


class RecoveryTest(ConsoleTest):
    options = ("--comando-livre",)

    def test_after_a_power_cut_the_recovery_closes_what_was_left_open(self):
        # A coupon opened, and the power cut before it closed.
        self.service.call("POST", "/v1/comando", json={"comando": "00"})
        os.killpg(self.service.proc.pid, signal.SIGKILL)
        self.service.stop()
        self.service = Service(self.home, *self.options)
        self.sign_in()
        # The page says what the printer holds after the restart (the
        # service's start may have settled it already).
        left_open = self.service.call("GET", "/v1/estado").json()["impressora"]["cupomAberto"]
        self.b.wait("document.getElementById('imp-dados').innerText.match(/Cupom aberto\\s*%s/)"
                    % ("sim" if left_open else "n\u00e3o"), what="the coupon's state after the restart")
        self.act("recuperacao")
        self.assertIn("cupom deixado aberto", self.b.text("#confirmar-texto"))
        self.confirm()
        self.result("Recupera")
        self.b.wait("document.getElementById('imp-dados').innerText.match(/Cupom aberto\\s*n\u00e3o/)",
                    what="no coupon open after the recovery")
        self.assertEqual(self.service.call("GET", "/v1/estado").json()["impressora"]["cupomAberto"], False)


def main():
    global SCREENSHOTS, CHROMIUM
    parser = argparse.ArgumentParser()
    parser.add_argument("--service", required=True)
    parser.add_argument("--openapi", required=True)
    parser.add_argument("--screenshots", required=True)
    parser.add_argument("--chromium", default=None)
    args, rest = parser.parse_known_args()
    service_test.SERVICE = os.path.abspath(args.service)
    service_test.OPENAPI = service_test.OpenApi(args.openapi)
    SCREENSHOTS = os.path.abspath(args.screenshots)
    CHROMIUM = args.chromium or cdp.find_chromium()
    if not CHROMIUM:
        sys.exit("console_test: no Chromium (install Debian's chromium: scripts/deps.sh lists it)")
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
